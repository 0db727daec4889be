#include "app/qtr3LibrarianApplication.h"

#include "app/ApplicationMenuManager.h"
#include "app/CommandLine.h"
#include "app/DebugModeModel.h"
#include "app/MainAppWindow.h"
#include "core/ApplicationUndoManager.h"
#include "core/CTRXResource.h"
#include "core/CurrentLanguageModel.h"
#include "core/DataEditStatus.h"
#include "core/LastSavedFileStatus.h"
#include "core/ModalDialogState.h"
#include "core/PreferencesData.h"
#include "core/PreferencesDataChangeBroadcaster.h"
#include "data/DataCenter.h"
#include "data/DataChangeBroadcaster.h"
#include "midi/MidiDeviceManager.h"
#include "platform/Locale.h"
#include "ui/ApplicationServices.h"
#include "ui/FontLibrary.h"
#include "ui/MainWindowManager.h"
#include "ui/RunMidiCommunicationProcess.h"
#include "ui/SelectedRowsStatus.h"
#include "ui/UnitFileChooser.h"
#include "ui/WindowManagerProtocols.h"

#include <cstdlib>
#include <iostream>

namespace
{
constexpr juce::uint32 qtr3FamilyId = 343;
constexpr const char* debugMarkerFileName = "DebugMode.txt";

// The framework's own button and menu words in Japanese, as UTF-8; from "file:" on, those of its
// file chooser.
constexpr const char* japaneseFrameworkTexts = "language: Japanese\n"
                                               "countries: ja\n"
                                               "\n"
                                               "\"Cut\" = \"カット\"\n"
                                               "\"Copy\" = \"コピー\"\n"
                                               "\"Paste\" = \"ペースト\"\n"
                                               "\"Delete\" = \"クリア\"\n"
                                               "\"Select All\" = \"すべてを選択\"\n"
                                               "\"Undo\" = \"元に戻す\"\n"
                                               "\"Redo\" = \"やり直す\"\n"
                                               "\"OK\" = \"OK\"\n"
                                               "\"Cancel\" = \"キャンセル\"\n"
                                               "\"Yes\" = \"はい\"\n"
                                               "\"No\" = \"いいえ\"\n"
                                               "\"file:\" = \"名前:\"\n"
                                               "\"Open\" = \"開く\"\n"
                                               "\"Go up to parent directory\" = \"親フォルダへ移動\"\n"
                                               "\"Home folder\" = \"ホームフォルダ\"\n"
                                               "\"Desktop\" = \"デスクトップ\"\n";

// The one line said when no display can be opened, naming the display asked for. Without a DISPLAY
// value the framework tries ":0.0".
juce::String noDisplayMessage(const char* display)
{
    const juce::String name(display);
    const auto asked = display == nullptr ? juce::String("DISPLAY is not set, and the default \":0.0\"")
                       : name.isEmpty()   ? juce::String("DISPLAY is empty, and the default \":0.0\"")
                                          : "the display DISPLAY=\"" + name + "\"";
    return qtr3LibrarianApplication::applicationName + juce::String(": cannot start without a display: ") + asked +
           " could not be opened.";
}

// An instrument search ends after its reply wait (a few seconds). One still marked as running this
// long after a quit was first refused for it is taken to have hung, and no longer holds the quit.
constexpr double searchHoldsQuitAtMostMs = 15000.0;
} // namespace

qtr3LibrarianApplication::qtr3LibrarianApplication() : qtr3LibrarianApplication(Options{}) {}

qtr3LibrarianApplication::qtr3LibrarianApplication(Options startOptions) : options(std::move(startOptions))
{
    if (options.midiBackend != nullptr)
        platform::selectMidiBackend(options.midiBackend);
    if (options.preferencesFolder != juce::File())
        w40388_preferences::PreferencesData::setFolderOverrideForTesting(options.preferencesFolder);

    // The device manager exists before initialise and tells the start-up process when a search ends.
    midi::MidiDeviceManager::getInstance()->addListener(&startupProcess);
}

qtr3LibrarianApplication::~qtr3LibrarianApplication()
{
    // Preferences made after this object (a later run in the same process) use the user's folder.
    if (options.preferencesFolder != juce::File())
        w40388_preferences::PreferencesData::setFolderOverrideForTesting({});
}

const juce::String qtr3LibrarianApplication::getApplicationName()
{
    return applicationName;
}

const juce::String qtr3LibrarianApplication::getApplicationVersion()
{
    return "1.0.0";
}

bool qtr3LibrarianApplication::moreThanOneInstanceAllowed()
{
    // The framework's own check uses one lock file for every user of the machine (and every test
    // run); once this process holds the lock of its preferences folder, that check is not wanted.
    return holdsInstanceLock;
}

juce::File qtr3LibrarianApplication::getPreferencesFolder() const
{
    if (options.preferencesFolder != juce::File())
        return options.preferencesFolder;
    return juce::File::getSpecialLocation(juce::File::userApplicationDataDirectory)
        .getChildFile(w40388_preferences::preferencesFolderName);
}

juce::String qtr3LibrarianApplication::instanceLockName(const juce::File& preferencesFolder)
{
    return "FeltanQTR3DigitalLibrarian_" + juce::String::toHexString(preferencesFolder.getFullPathName().hashCode64());
}

bool qtr3LibrarianApplication::initialiseApp()
{
    // Without a display the framework goes on until the first window is placed, and crashes there.
    // End before anything is opened, read or written: the preferences are left as they are.
    if (juce::Desktop::getInstance().isHeadless())
    {
        std::cerr << noDisplayMessage(std::getenv("DISPLAY")) << std::endl;
        setApplicationReturnValue(1);
        return false;
    }
    ui::takePartInWindowManagerProtocols();

    instanceLock = std::make_unique<juce::InterProcessLock>(instanceLockName(getPreferencesFolder()));
    if (!instanceLock->enter(0))
    {
        // Another instance runs on these preferences: end at once and leave it alone.
        instanceLock.reset();
        return false;
    }
    holdsInstanceLock = true;
    // juce::JUCEApplication's own override adds only the macOS main menu.
    return juce::JUCEApplicationBase::initialiseApp();
}

void qtr3LibrarianApplication::initialise(const juce::String& commandLine)
{
    applyLanguage();
    setUpFonts();
    writePreferenceDefaults();

    CTRXResource::getInstance();
    auto* devices = midi::MidiDeviceManager::getInstance();
    w40388_preferences::PreferencesData::getInstance();
    application::PreferencesDataChangeBroadcaster::getInstance();
    w40388_data::DataCenter::getInstance();

    readDebugMarker();

    // The undo manager comes before the menu manager and the data-change broadcaster: both leave
    // its listener list when they are deleted, and shutdown deletes in reverse order of creation.
    ui::SelectedUserOscStatus::getInstance();
    ui::SelectedUserModFXStatus::getInstance();
    ui::SelectedUserDelFXStatus::getInstance();
    ui::SelectedUserRevFXStatus::getInstance();
    ui::ModalDialogState::getInstance();
    application::ApplicationUndoManager::getInstance();
    w40388_menu::ApplicationMenuManager::getInstance();
    data::DataChangeBroadcaster::getInstance();
    application::DataEditStatus::getInstance();
    application::LastSavedFileStatus::getInstance();

    devices->familyId = qtr3FamilyId;
    ui::FontLibrary::getInstance()->registerApplicationFonts();

    w40388_application::applyMidiPortPreferences();
    w40388_application::applyListFontHeights();

    if (w40388_application::CurrentLanguageModel::getInstance()->isJapanese())
        installJapaneseFrameworkTexts();

    application::ApplicationUndoManager::getInstance()->setMaxNumberOfStoredUnits(
        application::ApplicationUndoManager::applicationMaxUnits,
        application::ApplicationUndoManager::applicationMinTransactions);

    openMainWindow();
    w40388_application::openFilesFromCommandLine(commandLine);
    startInstrumentSearch(startupProcess);
}

void qtr3LibrarianApplication::applyLanguage()
{
    const bool japanese = platform::currentLanguageCode() == "ja";
    w40388_application::CurrentLanguageModel::getInstance()->setLanguage(
        japanese ? w40388_application::CurrentLanguageModel::japanese
                 : w40388_application::CurrentLanguageModel::english);
}

void qtr3LibrarianApplication::setUpFonts()
{
    auto* fonts = ui::FontLibrary::getInstance();
    fonts->typefaceName = "Arial Unicode MS";
    fonts->defaultFont = fonts->makeFont(16.0f);
    w40388_application::CurrentLanguageModel::getInstance()->setFontName(fonts->typefaceName);
    juce::LookAndFeel::getDefaultLookAndFeel().setDefaultSansSerifTypefaceName(fonts->typefaceName);
}

void qtr3LibrarianApplication::writePreferenceDefaults()
{
    using namespace w40388_preferences;
    auto* preferences = PreferencesData::getInstance();
    preferences->SetDefaultBool(midiPortAutoScanKey, true);
    preferences->SetDefaultBool(autoReceiveKey, true);
    preferences->SetDefaultBool(warnBeforeWritingKey, true);
    preferences->SetDefaultString(midiInPortKey, {});
    preferences->SetDefaultString(midiOutPortKey, {});
    preferences->SetDefaultString(lastSavedFolderKey, {});
    preferences->SetDefaultInt(listHeightKey, defaultListHeight);
}

void qtr3LibrarianApplication::readDebugMarker()
{
    const auto folder = w40388_preferences::PreferencesData::getInstance()->GetFilePath().getParentDirectory();
    if (folder.getChildFile(debugMarkerFileName).existsAsFile())
        w40388_application::DebugModeModel::getInstance()->debugMode = true;
}

void qtr3LibrarianApplication::installJapaneseFrameworkTexts()
{
    // Decoded as UTF-8: a plain char pointer would be read as Latin-1 and garble every word.
    juce::LocalisedStrings::setCurrentMappings(
        new juce::LocalisedStrings(juce::String(juce::CharPointer_UTF8(japaneseFrameworkTexts)), false));
}

void qtr3LibrarianApplication::openMainWindow()
{
    auto* windows = w40388_ui::MainWindowManager::getInstance();
    if (windows->getWindow() != nullptr)
        return;

    windows->setMainWindow(std::make_unique<MainAppWindow>());
    windows->getWindow()->setLookAndFeel(&windows->getLookAndFeel());
    midi::MidiDeviceManager::getInstance()->Connect();
}

void qtr3LibrarianApplication::startInstrumentSearch(w40388_application::ApplicationStartupProcess& process)
{
    if (!w40388_preferences::PreferencesData::getInstance()->GetBool(w40388_preferences::midiPortAutoScanKey, true))
    {
        process.triggerAsyncUpdate();
        return;
    }

    auto* devices = midi::MidiDeviceManager::getInstance();
    devices->scanDone = false;
    midi::scanRunning = true;
    devices->getScanner().StartScan(devices->familyId, devices->memberId);
}

void qtr3LibrarianApplication::shutdown()
{
    auto* windows = w40388_ui::MainWindowManager::getInstanceWithoutCreating();
    if (windows != nullptr && windows->getWindow() != nullptr)
    {
        midi::MidiDeviceManager::getInstance()->Disconnect();
        windows->deleteMainWindow();
    }
    juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
}

void qtr3LibrarianApplication::anotherInstanceStarted(const juce::String& commandLine)
{
    w40388_application::openFilesFromCommandLine(commandLine);
}

void qtr3LibrarianApplication::systemRequestedQuit()
{
    if (auto* window = w40388_ui::MainWindowManager::getInstance()->getWindow())
        window->toFront(true);
    requestQuit();
}

bool qtr3LibrarianApplication::requestQuit()
{
    if (w40388_application::confirmDiscardChanges() != 0)
        return false;

    if (midi::scanRunning && !searchHasHung())
        return false;

    // A running job is asked to stop; its progress window closes when the job thread has ended,
    // and the modal loop it runs in ends with the application's.
    if (isMidiCommunicationProcessRunning())
        cancelMidiCommunicationProcess();

    // An open import chooser is closed at once and the import ends with nothing imported.
    if (auto* chooser = ui::UnitFileChooser::getInstanceWithoutCreating())
        chooser->close();

    if (options.quit)
        options.quit();
    else
        quit();
    return true;
}

bool qtr3LibrarianApplication::searchHasHung()
{
    const auto now = juce::Time::getMillisecondCounterHiRes();
    const int searchesFinished = startupProcess.getNumSearchesFinished();
    if (searchesFinished != searchesFinishedAtRefusal)
    {
        searchesFinishedAtRefusal = searchesFinished;
        firstQuitRefusedForSearchAt = now;
    }
    return now - firstQuitRefusedForSearchAt >= searchHoldsQuitAtMostMs;
}

juce::JUCEApplicationBase* createApplication()
{
    return new qtr3LibrarianApplication();
}
