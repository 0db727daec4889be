#include "ui/MidiCommunicationDialog.h"

#include "core/CTRXResource.h"
#include "midi/MidiDeviceManager.h"
#include "ui/FontLibrary.h"

#include <cstdio>

namespace midi
{
namespace
{
constexpr int margin = 20;
constexpr int contentWidth = 420;
constexpr int barTopWithoutDetail = 64;
constexpr int barTopWithDetail = 114;
constexpr int buttonGap = 40;
constexpr int buttonWidth = 88;
constexpr int rowHeight = 24;
constexpr int stopWaitMs = 2000;

juce::String text(const char* key)
{
    return CTRXResource::getInstance()->getText(key);
}

const juce::Font& namedFont(const char* name)
{
    return ui::FontLibrary::getInstance()->getFont(name);
}
} // namespace

MidiCommunicationDialog::MidiCommunicationDialog(MidiCommunicationProcess& processToRun) : process(&processToRun)
{
    setName("MidiCommunicationDialog");

    statusLabel = std::make_unique<juce::Label>("StatusMessage", juce::String());
    statusLabel->setFont(namedFont("MidiCommunicationDialogStatus"));
    statusLabel->setJustificationType(juce::Justification::centredTop);
    statusLabel->setEditable(false, false, false);

    detailEditor = std::make_unique<juce::TextEditor>("DetailMessage");
    detailEditor->setFont(namedFont("MidiCommunicationDialogDetail"));
    detailEditor->setReadOnly(true);
    detailEditor->setCaretVisible(false);
    detailEditor->setMultiLine(true, true);
    detailEditor->setPopupMenuEnabled(false);

    cancelButton = std::make_unique<juce::TextButton>("CancelButton");
    cancelButton->setButtonText(text("CommonCancel"));
    cancelButton->addListener(this);

    okButton = std::make_unique<juce::TextButton>("Button");
    okButton->addListener(this);
    okButton->setEnabled(false);

    progressBar = std::make_unique<ui::ProgressBarComponent>();
    progressBar->setName("ProgressBar");
    progressBar->setRange(0.0, 100.0, 1.0);
    progressBar->setTextBoxIsEditable(false);
    progressBar->setSliderStyle(juce::Slider::LinearBar);
    progressBar->setTextValueSuffix("%");

    for (juce::Component* child :
         {static_cast<juce::Component*>(statusLabel.get()), static_cast<juce::Component*>(detailEditor.get()),
          static_cast<juce::Component*>(cancelButton.get()), static_cast<juce::Component*>(okButton.get()),
          static_cast<juce::Component*>(progressBar.get())})
    {
        child->setLookAndFeel(&lookAndFeel);
        addChildComponent(child);
    }
    statusLabel->setVisible(true);
    cancelButton->setVisible(process->isCancelable());
    progressBar->setVisible(true);

    thread = std::make_unique<MidiCommunicationThread>(*process);
    thread->addListener(static_cast<MidiCommunicationThreadListener*>(this));
    process->addListener(this);

    setSize(dialogWidth, dialogHeight);
}

MidiCommunicationDialog::~MidiCommunicationDialog()
{
    process->removeListener(this);
    thread->removeListener(static_cast<MidiCommunicationThreadListener*>(this));
    cancelPendingUpdate();

    if (threadReportedEnd)
    {
        // Its job has returned and the thread is only leaving: no need for the framework's
        // wait, which looks again only every 2 ms.
        while (thread->isThreadRunning())
            juce::Thread::yield();
    }
    else if (thread->isThreadRunning())
    {
        thread->signalThreadShouldExit();
        if (!thread->waitForThreadToExit(stopWaitMs))
        {
            std::printf("cannot stop MIDI communication thread.\n");
            std::fflush(stdout);
        }
    }
    // Waits for a thread that has still not ended: the job it runs refers to this run's lists.
    thread.reset();
    // The end of the job may not have been reported (the modal loop ended first).
    leaveCommunicationLock();

    for (auto* child : getChildren())
        child->setLookAndFeel(nullptr);
}

void MidiCommunicationDialog::visibilityChanged()
{
    if (!isVisible() || started)
        return;
    started = true;

    auto* manager = MidiDeviceManager::getInstance();
    manager->communicationLock.enter();
    holdsCommunicationLock = true;
    if (manager->Connect())
    {
        thread->startThread();
        return;
    }
    leaveCommunicationLock();
    triggerAsyncUpdate();
}

void MidiCommunicationDialog::handleAsyncUpdate()
{
    // Reached only when the ports could not be connected.
    auto* manager = MidiDeviceManager::getInstance();
    const bool portsWereKnown = !manager->automatic || manager->getScanner().isFound();
    statusLabel->setText(text(portsWereKnown ? "ConnectionErrorFailedToOpenPort" : "ConnectionErrorNotFoundparvolinvr"),
                         juce::dontSendNotification);
    detailEditor->clear();
    detailEditor->setVisible(false);
    showOkButton();
    setSize(dialogWidth, dialogHeight);
    resized();

    if (closeWhenFinished)
        closeDialog();
}

void MidiCommunicationDialog::processChanged()
{
    progressBar->setValue(process->getProgress() * 100.0, juce::dontSendNotification);
    statusLabel->setText(process->GetMessage(), juce::dontSendNotification);

    const auto detail = process->GetErrorMessage();
    if (detail != detailEditor->getText())
        detailEditor->setText(detail, false);
    detailEditor->setVisible(detail.isNotEmpty());

    const int wantedHeight = detail.isNotEmpty() ? dialogHeightWithDetail : dialogHeight;
    if (getHeight() != wantedHeight)
    {
        setSize(dialogWidth, wantedHeight);
        resized();
    }
}

void MidiCommunicationDialog::resized()
{
    statusLabel->setBounds(margin, 24, contentWidth, 40);

    int y = barTopWithoutDetail;
    if (detailEditor->getText().isNotEmpty())
    {
        detailEditor->setBounds(margin, 52, contentWidth, 45);
        y = barTopWithDetail;
    }
    progressBar->setBounds(margin, y, contentWidth, rowHeight);

    const int buttonX = margin + contentWidth - buttonWidth;
    okButton->setBounds(buttonX, y + buttonGap, buttonWidth, rowHeight);
    cancelButton->setBounds(buttonX, y + buttonGap, buttonWidth, rowHeight);
}

void MidiCommunicationDialog::buttonClicked(juce::Button* button)
{
    if (button == okButton.get())
    {
        closeDialog();
    }
    else if (button == cancelButton.get())
    {
        cancelButton->setEnabled(false);
        thread->signalThreadShouldExit();
    }
}

void MidiCommunicationDialog::threadFinished()
{
    threadReportedEnd = true;
    leaveCommunicationLock();
    succeeded = process->isSucceeded(thread->getResult());
    if (succeeded || closeWhenFinished)
    {
        closeDialog();
        return;
    }
    showOkButton();
}

void MidiCommunicationDialog::stopAndClose()
{
    closeWhenFinished = true;
    if (holdsCommunicationLock)
    {
        // The job runs, or its end has not been reported yet: threadFinished closes.
        cancelButton->setEnabled(false);
        thread->signalThreadShouldExit();
        return;
    }
    if (!isUpdatePending())
        closeDialog();
}

void MidiCommunicationDialog::showOkButton()
{
    okButton->setButtonText(text("CommonOK"));
    okButton->setLookAndFeel(&lookAndFeel);
    okButton->setVisible(true);
    okButton->setEnabled(true);
    cancelButton->setVisible(false);
}

void MidiCommunicationDialog::closeDialog()
{
    if (auto* window = findParentComponentOfClass<juce::DocumentWindow>())
        window->exitModalState(succeeded ? 0 : 1);
}

void MidiCommunicationDialog::leaveCommunicationLock()
{
    if (!holdsCommunicationLock)
        return;
    holdsCommunicationLock = false;
    MidiDeviceManager::getInstance()->communicationLock.exit();
}
} // namespace midi
