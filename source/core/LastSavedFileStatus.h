#pragma once

#include "core/AsyncNotifier.h"
#include "core/Singleton.h"

#include <juce_events/juce_events.h>

namespace application
{
// Observer of the last saved file name; told asynchronously, on the message thread.
class LastSavedFileStatusListener
{
public:
    virtual void lastSavedFileStatusChanged(const juce::String& lastSavedFile) = 0;
    virtual ~LastSavedFileStatusListener() = default;
};

// The name of the file the document was last saved to; empty while there is none (the window
// title then shows the untitled text). Main thread only.
class LastSavedFileStatus : public Singleton<LastSavedFileStatus>,
                            public juce::DeletedAtShutdown,
                            public AsyncNotifier<LastSavedFileStatusListener>
{
public:
    LastSavedFileStatus() = default;
    ~LastSavedFileStatus() override = default;

    const juce::String& getLastSavedFile() const noexcept { return lastSavedFile; }

    // Stores the name and notifies the observers.
    void setLastSavedFile(const juce::String& newLastSavedFile);

private:
    void notifyListener(LastSavedFileStatusListener& listener) override;

    juce::String lastSavedFile;

    JUCE_DECLARE_NON_COPYABLE(LastSavedFileStatus)
};
} // namespace application
