#include "ui/AlertDialogComponent.h"

#include "core/CTRXResource.h"
#include "ui/DialogButtonStyle.h"
#include "ui/ModalDialog.h"

namespace
{
constexpr int minimumEditorHeight = 56;

std::unique_ptr<juce::TextButton> makeButton(juce::uint32 normalColour)
{
    auto button = std::make_unique<juce::TextButton>();
    ui::styleDialogButton(*button, normalColour);
    return button;
}

juce::String text(const char* key)
{
    return CTRXResource::getInstance()->getText(key);
}
} // namespace

AlertDialogComponent::AlertDialogComponent(int dialogMode, const juce::String& messageText)
    : mode(dialogMode), message(messageText)
{
    messageEditor = std::make_unique<juce::TextEditor>();
    addAndMakeVisible(messageEditor.get());
    messageEditor->setMultiLine(true, true);
    messageEditor->setReturnKeyStartsNewLine(false);
    messageEditor->setReadOnly(true);
    messageEditor->setScrollbarsShown(false);
    messageEditor->setCaretVisible(false);
    messageEditor->setPopupMenuEnabled(false);
    messageEditor->setColour(juce::TextEditor::textColourId, juce::Colour(0xFFFFFFFF));
    messageEditor->setColour(juce::TextEditor::backgroundColourId, juce::Colour(0x00FFFFFF));
    messageEditor->setColour(juce::TextEditor::highlightColourId, juce::Colour(0x40FFFFFF));
    messageEditor->setColour(juce::TextEditor::shadowColourId, juce::Colour(0x00000000));
    messageEditor->setBounds(16, 16, 384, minimumEditorHeight);

    yesButton = makeButton(0x49666666);
    noButton = makeButton(0x49333333);
    cancelButton = makeButton(0x49666666);
    for (auto* button : {yesButton.get(), noButton.get(), cancelButton.get()})
    {
        addAndMakeVisible(button);
        button->addListener(this);
    }
    yesButton->setBounds(16, 88, 88, 24);
    noButton->setBounds(106, 88, 88, 24);

    for (auto* child : std::initializer_list<juce::Component*>{messageEditor.get(), yesButton.get(), noButton.get(),
                                                               cancelButton.get()})
        child->setLookAndFeel(&lookAndFeel);

    messageEditor->setText(message, false);

    switch (mode)
    {
    case okCancel:
        yesButton->setButtonText(text("CommonOK"));
        cancelButton->setButtonText(text("CommonCancel"));
        noButton->setVisible(false);
        break;
    case yesNoCancel:
        yesButton->setButtonText(text("CommonYes"));
        noButton->setButtonText(text("CommonNo"));
        cancelButton->setButtonText(text("CommonCancel"));
        break;
    default:
        yesButton->setButtonText(text("CommonOK"));
        noButton->setVisible(false);
        cancelButton->setVisible(false);
        break;
    }

    setSize(420, 120);
    setSize(getWidth(), 16 + messageHeight() + 24 + 41);
}

AlertDialogComponent::~AlertDialogComponent()
{
    for (auto* child : getChildren())
        child->setLookAndFeel(nullptr);
}

int AlertDialogComponent::messageHeight() const
{
    return messageEditor->getTextHeight();
}

void AlertDialogComponent::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colour(0xFF333333));
}

void AlertDialogComponent::resized()
{
    const auto h = messageHeight();

    // A message taller than the editor's usual three lines gets the room the dialog grew by,
    // so no line is hidden.
    messageEditor->setSize(messageEditor->getWidth(), juce::jmax(minimumEditorHeight, h));
    const auto editor = messageEditor->getBounds();

    cancelButton->setBounds(getWidth() - 104, 88, 88, 24);

    const auto buttonY = editor.getY() + h + 25;
    for (auto* button : {yesButton.get(), noButton.get(), cancelButton.get()})
        button->setTopLeftPosition(button->getX(), buttonY);

    switch (mode)
    {
    case yesNoCancel:
        yesButton->setTopLeftPosition(editor.getX(), buttonY);
        noButton->setTopLeftPosition(editor.getX() + 104, buttonY);
        cancelButton->setTopLeftPosition(editor.getRight() - 88, buttonY);
        break;
    case okCancel:
        yesButton->setTopLeftPosition(editor.getRight() - 88, buttonY);
        cancelButton->setTopLeftPosition(editor.getRight() - 192, buttonY);
        break;
    case okOnly:
        yesButton->setTopLeftPosition(editor.getRight() - 88, buttonY);
        break;
    default:
        break;
    }
}

void AlertDialogComponent::buttonClicked(juce::Button* button)
{
    if (button == yesButton.get())
        closeDialog(okOrYes);
    else if (button == noButton.get())
        closeDialog(no);
    else if (button == cancelButton.get())
        closeDialog(cancelled);
}

void AlertDialogComponent::closeDialog(int result)
{
    ui::closeEnclosingDialog(*this, result);
}
