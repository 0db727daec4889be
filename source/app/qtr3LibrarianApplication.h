#pragma once

#include "app/ApplicationStartupProcess.h"
#include "platform/MidiPlatform.h"
#include "ui/DefaultLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

// The application object the framework's runner creates and drives (see Main.cpp): one running
// instance per preferences folder, the start-up sequence that builds every application-wide object
// and opens the main window, the quit request and shut-down. Message thread only.
//
// In-process use (end-to-end tests): construct it with Options, call initialise() and later
// shutdown() on the message thread, then delete it; the delete-at-shutdown singletons remain until
// juce::DeletedAtShutdown::deleteAll() (or the end of the process). Only one juce::JUCEApplication
// may exist at a time.
//
//     qtr3LibrarianApplication::Options options;
//     options.midiBackend = test::getVirtualMidiBus();   // before anything opens MIDI
//     options.preferencesFolder = temporaryFolder;       // holds PreferencesData.xml, DebugMode.txt
//     options.quit = [&] { quitRequested = true; };      // instead of stopping the message loop
//     auto app = std::make_unique<qtr3LibrarianApplication>(options);
//     app->initialise({});
//     ...
//     app->shutdown();
//
// The instrument search looks at the framework's MIDI devices (the ALSA sequencer) unless
// midi::MidiDeviceManager::setScanDevicesFactory chose others before the application object is
// made (the virtual bus's, to find a simulated instrument); or write "MidiPortAutoScan" false and the
// instrument's port names ("MidiInPort", "MidiOutPort") into the preferences before initialise().
class qtr3LibrarianApplication : public juce::JUCEApplication
{
public:
    struct Options
    {
        // The MIDI backend of the whole process; null: the ALSA sequencer. Only the first choice of
        // the process counts (platform::selectMidiBackend).
        std::shared_ptr<platform::MidiBackend> midiBackend;
        // The folder of the preferences file and of "DebugMode.txt" for as long as the object
        // exists; empty: the user's preferences folder.
        juce::File preferencesFolder;
        // Ends the application when the quit request goes through; empty: the framework's quit(),
        // which stops the message loop.
        std::function<void()> quit;
    };

    // What getApplicationName() gives; it also begins the line said when no display can be opened.
    static constexpr const char* applicationName = "Feltan QTR-3 digital Librarian";

    // The program's application: ALSA, the user's preferences, the framework's quit.
    qtr3LibrarianApplication();
    explicit qtr3LibrarianApplication(Options options);
    ~qtr3LibrarianApplication() override;

    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;
    // False: one instance runs per preferences folder (see initialiseApp).
    bool moreThanOneInstanceAllowed() override;
    void initialise(const juce::String& commandLine) override;
    void shutdown() override;
    void anotherInstanceStarted(const juce::String& commandLine) override;
    // Brings the main window to the front, then requestQuit.
    void systemRequestedQuit() override;

    // The one road out of the application, for the system's quit request and the exit command alike.
    // Asks about unsent edits; quits unless the answer is to stay or an instrument search runs (a
    // search still marked as running 15 s after it first held a quit is taken to have hung and holds
    // it no longer). A running MIDI job is asked to stop first: its progress window closes when the
    // job thread has ended, and the application ends after it. Ends through Options::quit when set.
    // True when the application is ending.
    bool requestQuit();

    // The runner's start: refuses to start when no display can be opened (one line on stderr,
    // return value 1) and when another instance holds the lock of the same preferences folder
    // (leaving the running instance alone), then runs the framework's start-up, which calls
    // initialise().
    bool initialiseApp() override;

    w40388_application::ApplicationStartupProcess& getStartupProcess() noexcept { return startupProcess; }

    // The folder of the preferences file (the options' folder or the user's).
    juce::File getPreferencesFolder() const;

    // The name of the lock that keeps one instance per preferences folder.
    static juce::String instanceLockName(const juce::File& preferencesFolder);

private:
    void applyLanguage();
    void setUpFonts();
    static void writePreferenceDefaults();
    void readDebugMarker();
    static void installJapaneseFrameworkTexts();
    static void openMainWindow();
    static void startInstrumentSearch(w40388_application::ApplicationStartupProcess& process);
    // Called while a search is marked as running: true once it has held the quit for longer than
    // any search lasts.
    bool searchHasHung();

    Options options;
    w40388_application::ApplicationStartupProcess startupProcess;
    w40388_ui::DefaultLookAndFeel lookAndFeel;
    std::unique_ptr<juce::InterProcessLock> instanceLock;
    bool holdsInstanceLock = false;
    // A quit refused because an instrument search runs: when that first happened, and how many
    // searches had ended then (a later search starts its own bound).
    double firstQuitRefusedForSearchAt = 0.0;
    int searchesFinishedAtRefusal = -1;

    JUCE_DECLARE_NON_COPYABLE(qtr3LibrarianApplication)
};

// The creator handed to the framework's application runner.
juce::JUCEApplicationBase* createApplication();
