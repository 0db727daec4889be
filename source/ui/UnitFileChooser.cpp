#include "ui/UnitFileChooser.h"

#include <cstring>
#include <functional>
#include <langinfo.h>
#include <locale.h>

namespace ui
{
namespace
{
constexpr int openOneFile = juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles;

// The browser's box for a file name: its one text box of its own.
juce::TextEditor* findNameBox(juce::FileBrowserComponent& browser)
{
    for (auto* child : browser.getChildren())
        if (auto* box = dynamic_cast<juce::TextEditor*>(child))
            return box;
    return nullptr;
}

// The label the browser puts beside its name box.
juce::Label* findNameLabel(juce::FileBrowserComponent& browser, juce::TextEditor* nameBox)
{
    for (auto* child : browser.getChildren())
        if (auto* label = dynamic_cast<juce::Label*>(child);
            label != nullptr && label->getAttachedComponent() == nameBox)
            return label;
    return nullptr;
}

// The framework's chooser dialog, whose name box takes the keyboard whenever the window itself
// would: as it appears (a window can take the focus only once it is on screen, so it asks again
// then) and when the window manager focuses it. Escape in the name box cancels, as elsewhere. The
// framework leaves room for an English "file:" beside the name box; the box moves right when the
// label's text needs more.
class OwnChooserDialog : public juce::FileChooserDialogBox, private juce::ComponentListener
{
public:
    OwnChooserDialog(const juce::String& title, juce::FileBrowserComponent& browserToShow)
        : juce::FileChooserDialogBox(title, {}, browserToShow, false,
                                     browserToShow.findColour(juce::AlertWindow::backgroundColourId), nullptr),
          browser(browserToShow), nameBox(findNameBox(browser)), nameLabel(findNameLabel(browser, nameBox))
    {
        if (nameBox != nullptr)
            nameBox->onEscapeKey = [this] { exitModalState(0); };
        browser.addComponentListener(this);
    }

    ~OwnChooserDialog() override { browser.removeComponentListener(this); }

    void broughtToFront() override
    {
        if (isCurrentlyModal() && !hasKeyboardFocus(true))
            grabKeyboardFocus();
    }

    void focusGained(FocusChangeType) override
    {
        if (nameBox != nullptr && nameBox->isShowing())
            nameBox->grabKeyboardFocus();
    }

private:
    // After the browser has laid out its children.
    void componentMovedOrResized(juce::Component&, bool, bool wasResized) override
    {
        if (!wasResized || nameBox == nullptr || nameLabel == nullptr)
            return;
        auto& lookAndFeel = nameLabel->getLookAndFeel();
        const int labelWidth =
            juce::roundToInt(lookAndFeel.getLabelFont(*nameLabel).getStringWidthFloat(nameLabel->getText()) + 0.5f) +
            lookAndFeel.getLabelBorderSize(*nameLabel).getLeftAndRight();
        if (nameBox->getX() < labelWidth)
            nameBox->setBounds(nameBox->getBounds().withLeft(labelWidth));
    }

    juce::FileBrowserComponent& browser;
    juce::TextEditor* nameBox;
    juce::Label* nameLabel;
};

// Runs the message loop until done() holds, the chooser is closed or the application quits.
void runNestedLoopUntil(const std::function<bool()>& done, const bool& closeRequested)
{
    while (!done() && !closeRequested)
        if (!juce::MessageManager::getInstance()->runDispatchLoopUntil(20))
            return;
}
} // namespace

UnitFileChooser::~UnitFileChooser()
{
    close();
}

juce::File UnitFileChooser::browseForFileToOpen(const juce::String& title, const juce::String& patterns)
{
    if (open)
        return {};

    open = true;
    closeRequested = false;
    const bool desktop =
        kind == Kind::desktopWhenInstalled && juce::FileChooser::isPlatformDialogAvailable() && desktopChooserServes();
    const auto chosen = desktop ? runDesktopChooser(title, patterns) : runFrameworkChooser(title, patterns);
    open = false;

    if (closeRequested || chosen == juce::File())
        return {};
    lastFolder = chosen.getParentDirectory();
    return chosen;
}

void UnitFileChooser::close()
{
    if (!open)
        return;
    closeRequested = true;
    // Deleting the chooser kills its process; a modal run would first wait for the process's answer.
    desktopChooser.reset();
    if (ownDialog != nullptr)
        ownDialog->exitModalState(0);
}

bool UnitFileChooser::desktopChooserServes()
{
    // Asks for the environment's locale, every category of it, without making it the program's.
    const locale_t environmentLocale = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(nullptr));
    if (environmentLocale == static_cast<locale_t>(nullptr))
        return false;
    const bool utf8 = std::strcmp(nl_langinfo_l(CODESET, environmentLocale), "UTF-8") == 0;
    freelocale(environmentLocale);
    return utf8;
}

juce::File UnitFileChooser::getStartFolder() const
{
    return lastFolder.isDirectory() ? lastFolder : juce::File::getSpecialLocation(juce::File::userHomeDirectory);
}

juce::File UnitFileChooser::runDesktopChooser(const juce::String& title, const juce::String& patterns)
{
    // Launched without a modal run: the framework's modal run reads the chooser process's output
    // until the process ends, which would hold a quit until the user closed the chooser.
    juce::File chosen;
    bool finished = false;
    desktopChooser = std::make_unique<juce::FileChooser>(title, juce::File(), patterns, true, false, nullptr);
    desktopChooser->launchAsync(openOneFile,
                                [&](const juce::FileChooser& chooser)
                                {
                                    chosen = chooser.getResult();
                                    finished = true;
                                });
    runNestedLoopUntil([&] { return finished; }, closeRequested);
    desktopChooser.reset();
    return chosen;
}

juce::File UnitFileChooser::runFrameworkChooser(const juce::String& title, const juce::String& patterns)
{
    juce::WildcardFileFilter filter(patterns, {}, {});
    juce::FileBrowserComponent browser(openOneFile, getStartFolder(), &filter, nullptr);
    OwnChooserDialog dialog(title, browser);
    dialog.centreWithDefaultSize(nullptr);
    ownDialog = &dialog;
    const bool accepted = dialog.runModalLoop() != 0;
    dialog.setVisible(false);
    ownDialog = nullptr;
    return accepted ? browser.getSelectedFile(0) : juce::File();
}
} // namespace ui
