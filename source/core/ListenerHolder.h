#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

// A plain list of non-owning observer pointers of interface Listener. Observers add and remove
// themselves on the main thread (usually in their constructor and destructor); the owner calls
// them in list order. Adding does not check for duplicates: an observer added twice is called
// twice. An observer must not add or remove observers of the holder that is calling it.
template <typename Listener> class ListenerHolder
{
public:
    ListenerHolder() = default;
    virtual ~ListenerHolder() = default;

    void addListener(Listener* listener) { listeners.push_back(listener); }

    // Removes the first entry equal to listener; nothing happens when it is absent.
    void removeListener(Listener* listener)
    {
        const auto found = std::find(listeners.begin(), listeners.end(), listener);
        if (found != listeners.end())
            listeners.erase(found);
    }

    int getNumListeners() const noexcept { return static_cast<int>(listeners.size()); }

    // Calls callback(Listener&) for every observer, first to last. The walk goes by position and
    // re-checks the list's size at each step, so a list changed underneath never reads past its end.
    template <typename Callback> void callListeners(Callback&& callback)
    {
        for (std::size_t i = 0; i < listeners.size(); ++i)
            callback(*listeners[i]);
    }

private:
    std::vector<Listener*> listeners;
};
