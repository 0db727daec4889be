// Every text of ours in the dialogs and windows, in both interface languages, laid out as the
// look-and-feel draws it with the program's own fonts: each must fit the area it is drawn in, so
// that no line is cut off, squeezed or hidden under a neighbour.

#include "core/CTRXResource.h"
#include "core/CurrentLanguageModel.h"
#include "data/UserData.h"
#include "files/ReadError.h"
#include "midi/MidiCommunicationResult.h"
#include "midi/ReceiveUserDataProcess.h"
#include "midi/WriteUserDataProcess.h"
#include "support/gui/GuiTest.h"
#include "support/gui/ScopedPreferences.h"
#include "support/midi/SimulatedInstrumentFixture.h"
#include "ui/AboutComponent.h"
#include "ui/AlertDialogComponent.h"
#include "ui/DefaultLookAndFeel.h"
#include "ui/FontLibrary.h"
#include "ui/ImportUserDataWarningComponent.h"
#include "ui/MidiCommunicationDialog.h"
#include "ui/PreferencesEditComponent.h"
#include "ui/WarningDialogLayout.h"
#include "ui/WriteUserDataWarningComponent.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>

namespace
{
using Language = w40388_application::CurrentLanguageModel;

juce::String text(const char* key)
{
    return CTRXResource::getInstance()->getText(key);
}

// The lines a text takes when broken to the width, as the framework lays out text that must wrap.
juce::GlyphArrangement wrapped(const juce::Font& font, const juce::String& shown, float width)
{
    juce::GlyphArrangement glyphs;
    glyphs.addJustifiedText(font, shown, 0.0f, 0.0f, width, juce::Justification::left);
    return glyphs;
}

float wrappedHeight(const juce::Font& font, const juce::String& shown, float width)
{
    const auto glyphs = wrapped(font, shown, width);
    return glyphs.getNumGlyphs() == 0 ? 0.0f : glyphs.getBoundingBox(0, -1, false).getHeight();
}

// The height a text needs in an area, drawn as juce::Graphics::drawFittedText draws it: text with
// line breaks is wrapped and cut off below the area; other text goes on one line, squeezed to no
// less than minimumScale of its width, or else onto at most maxLines lines squeezed likewise, or else
// is cut short. Larger than the area's height when some of it would not be seen.
float heightAsFitted(const juce::Font& font, const juce::String& shown, juce::Rectangle<int> area, int maxLines,
                     float minimumScale)
{
    const auto width = static_cast<float>(area.getWidth());
    if (shown.containsAnyOf("\r\n"))
        return wrappedHeight(font, shown, width);
    if (font.getStringWidthFloat(shown.trim()) * minimumScale < width)
        return font.getHeight();
    auto glyphs = wrapped(font, shown.trim(), width / minimumScale);
    int lines = 0;
    for (int i = 0, lastBaseline = INT_MIN; i < glyphs.getNumGlyphs(); ++i)
        if (const int baseline = juce::roundToInt(glyphs.getGlyph(i).getBaselineY()); baseline != lastBaseline)
            ++lines, lastBaseline = baseline;
    if (lines > maxLines)
        return std::numeric_limits<float>::max();
    return static_cast<float>(lines) * font.getHeight();
}

// Collects, for one dialog, every visible text of ours that does not fit where it is drawn.
class TextFit
{
public:
    explicit TextFit(juce::String dialogName) : dialog(std::move(dialogName)) {}

    // The visible texts inside the content of a dialog (the content itself need not be on screen).
    void checkContent(juce::Component& content)
    {
        for (auto* child : content.getChildren())
            check(*child);
    }

    std::vector<std::string> misfits;

private:
    void check(juce::Component& component)
    {
        if (!component.isVisible())
            return;
        if (auto* label = dynamic_cast<juce::Label*>(&component))
            checkLabel(*label);
        else if (auto* toggle = dynamic_cast<juce::ToggleButton*>(&component))
            checkToggle(*toggle);
        else if (auto* button = dynamic_cast<juce::TextButton*>(&component))
            checkButton(*button);
        else if (auto* editor = dynamic_cast<juce::TextEditor*>(&component))
            checkEditor(*editor);
        else if (auto* group = dynamic_cast<juce::GroupComponent*>(&component))
            checkGroup(*group);
        for (auto* child : component.getChildren())
            check(*child);
    }

    void misfit(juce::Component& where, const juce::String& shown, float needed, int available)
    {
        misfits.push_back((dialog + ": " + where.getName() + " \"" + shown + "\" needs " + juce::String(needed, 1) +
                           " of " + juce::String(available))
                              .toStdString());
    }

    // The part of the component's area that no visible text-showing sibling below it covers.
    static juce::Rectangle<int> uncovered(juce::Component& component, juce::Rectangle<int> area)
    {
        if (auto* parent = component.getParentComponent())
            for (auto* sibling : parent->getChildren())
                if (sibling != &component && sibling->isVisible() && shows(*sibling) &&
                    sibling->getY() > component.getY() && sibling->getBounds().intersects(component.getBounds()))
                    area.setBottom(juce::jmin(area.getBottom(), sibling->getY() - component.getY()));
        return area;
    }

    static float defaultMinimumScale() { return juce::Font::getDefaultMinimumHorizontalScaleFactor(); }
    static float minimumScale(const juce::Label& label)
    {
        return label.getMinimumHorizontalScale() > 0.0f ? label.getMinimumHorizontalScale() : defaultMinimumScale();
    }

    static bool shows(juce::Component& component)
    {
        return dynamic_cast<juce::Label*>(&component) != nullptr ||
               dynamic_cast<juce::TextEditor*>(&component) != nullptr ||
               dynamic_cast<juce::Button*>(&component) != nullptr;
    }

    void checkLabel(juce::Label& label)
    {
        auto& lookAndFeel = label.getLookAndFeel();
        const auto area =
            uncovered(label, lookAndFeel.getLabelBorderSize(label).subtractedFrom(label.getLocalBounds()));
        const auto font = lookAndFeel.getLabelFont(label);
        const int maxLines = juce::jmax(1, static_cast<int>(static_cast<float>(area.getHeight()) / font.getHeight()));
        const auto needed = heightAsFitted(font, label.getText(), area, maxLines, minimumScale(label));
        if (needed > static_cast<float>(area.getHeight()))
            misfit(label, label.getText(), needed, area.getHeight());
    }

    void checkButton(juce::TextButton& button)
    {
        // The text area of the framework's button drawing.
        const auto font = button.getLookAndFeel().getTextButtonFont(button, button.getHeight());
        const int yIndent = juce::jmin(4, button.proportionOfHeight(0.3f));
        const int cornerSize = juce::jmin(button.getHeight(), button.getWidth()) / 2;
        const int fontHeight = juce::roundToInt(font.getHeight() * 0.6f);
        const int leftIndent = juce::jmin(fontHeight, 2 + cornerSize / (button.isConnectedOnLeft() ? 4 : 2));
        const int rightIndent = juce::jmin(fontHeight, 2 + cornerSize / (button.isConnectedOnRight() ? 4 : 2));
        const juce::Rectangle<int> area(leftIndent, yIndent, button.getWidth() - leftIndent - rightIndent,
                                        button.getHeight() - 2 * yIndent);
        const auto needed = heightAsFitted(font, button.getButtonText(), area, 2, defaultMinimumScale());
        if (needed > static_cast<float>(area.getHeight()))
            misfit(button, button.getButtonText(), needed, area.getHeight());
    }

    void checkToggle(juce::ToggleButton& toggle)
    {
        // The framework draws the text right of the tick, in a font sized from the button's height.
        const float fontSize = juce::jmin(15.0f, static_cast<float>(toggle.getHeight()) * 0.75f);
        const auto area =
            toggle.getLocalBounds().withTrimmedLeft(juce::roundToInt(fontSize * 1.1f) + 5).withTrimmedRight(2);
        const auto needed =
            heightAsFitted(juce::Font(fontSize), toggle.getButtonText(), area, 10, defaultMinimumScale());
        if (needed > static_cast<float>(area.getHeight()))
            misfit(toggle, toggle.getButtonText(), needed, area.getHeight());
    }

    void checkGroup(juce::GroupComponent& group)
    {
        // The framework's group outline leaves its title the width less the corners and gaps.
        const int width = group.getWidth() - 2 * 5 - 2 * 4;
        const auto needed = juce::Font(15.0f).getStringWidthFloat(group.getText()) + 2 * 4;
        if (needed > static_cast<float>(width))
            misfit(group, group.getText(), needed, width);
    }

    void checkEditor(juce::TextEditor& editor)
    {
        if (editor.isEmpty())
            return;
        const auto area = uncovered(editor, editor.getLocalBounds());
        const auto used = editor.getTextBounds({0, editor.getTotalNumChars()}).getBounds();
        if (used.getY() < area.getY() || used.getBottom() > area.getBottom() || used.getRight() > area.getRight())
            misfit(editor, editor.getText(), static_cast<float>(used.getBottom()), area.getBottom());
    }

    juce::String dialog;
};

class DialogTextFitTest : public testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        QTR_REQUIRE_DISPLAY();
        Language::getInstance()->setLanguage(GetParam());
        delete CTRXResource::getInstanceWithoutCreating();
        ui::FontLibrary::getInstance()->registerApplicationFonts();
    }

    void TearDown() override { delete CTRXResource::getInstanceWithoutCreating(); }

    void expectFits(juce::Component& content, const juce::String& name)
    {
        TextFit fit(name);
        fit.checkContent(content);
        EXPECT_TRUE(fit.misfits.empty()) << ::testing::PrintToString(fit.misfits);
        // Nothing of ours may stand outside the content either.
        for (auto* child : content.getChildren())
        {
            if (child->isVisible())
            {
                EXPECT_TRUE(content.getLocalBounds().contains(child->getBounds()))
                    << name << ": " << child->getName() << " at " << child->getBounds().toString();
            }
        }
    }

    test::gui::ScopedPreferences preferences;
};

TEST_P(DialogTextFitTest, EveryDialogTextFitsItsArea)
{
    ImportUserDataWarningComponent importWarning;
    expectFits(importWarning, "import warning");
    WriteUserDataWarningComponent writeWarning;
    expectFits(writeWarning, "write warning");

    for (int code = 1; code < numReadErrors; ++code)
    {
        AlertDialogComponent error(AlertDialogComponent::okOnly, text(readErrorKeys[std::size_t(code)]));
        expectFits(error, juce::String("read error ") + juce::String(code));
    }
    AlertDialogComponent question(AlertDialogComponent::yesNoCancel, text("FileDiscardCheckMessage"));
    expectFits(question, "discard question");

    const auto bus = test::getVirtualMidiBus();
    PreferencesEditComponent preferencesWindow;
    expectFits(preferencesWindow, "preferences");

    AboutComponent about;
    expectFits(about, "about box");

    w40388_data::UserData data;
    w40388_midi::ReceiveUserDataProcess receive(&data);
    w40388_midi::WriteUserDataProcess write(&data);
    for (auto* job : std::initializer_list<midi::MidiCommunicationProcess*>{&receive, &write})
    {
        midi::MidiCommunicationDialog progress(*job);
        progress.processChanged();
        expectFits(progress, job->getTitle() + " at its start");
        for (int code = 0; code < midi::MidiCommunicationResult::count; ++code)
        {
            job->SetMessage(midi::getMidiCommunicationErrorText(code));
            job->SetErrorMessage(midi::getMidiCommunicationErrorDetailText(code));
            progress.processChanged();
            expectFits(progress, job->getTitle() + " result " + juce::String(code));
        }
        // The one detail text filled in by the job: the longest list title, and many rows.
        job->SetMessage(midi::getMidiCommunicationErrorText(midi::MidiCommunicationResult::slotNamedTwice));
        job->SetErrorMessage(w40388_midi::describeRowsNamingOneSlot(UnitModule::ModulationEffect, {9, 11, 13, 15}));
        progress.processChanged();
        expectFits(progress, job->getTitle() + " rows naming one slot");
        for (const auto* key : {"ConnectionErrorFailedToOpenPort", "ConnectionErrorNotFoundparvolinvr"})
        {
            job->SetMessage(text(key));
            job->SetErrorMessage({});
            progress.processChanged();
            expectFits(progress, job->getTitle() + " " + key);
        }
    }
}

// The warnings before an import and before SEND ALL share their layout; a message several times
// longer than theirs, broken into lines or one paragraph, makes it grow with its controls below.
TEST_P(DialogTextFitTest, WarningWithAMuchLongerMessageGrowsWithItsControlsBelowTheWholeText)
{
    struct NoAnswers : juce::Button::Listener
    {
        void buttonClicked(juce::Button*) override {}
    } listener;
    const auto lines = text("ImportUserDataWarningDialogLine1") + text("ImportUserDataWarningDialogLine2") +
                       text("ImportUserDataWarningDialogLine3") + "\n";
    const auto paragraph = text("ImportUserDataWarningDialogLine2").trim() + " ";
    const std::pair<const char*, juce::String> messages[] = {
        {"lines", juce::String::repeatedString(lines, 4) + "\n" + text("ImportUserDataWarningDialogLine4")},
        {"paragraph", juce::String::repeatedString(paragraph, 8) + text("ImportUserDataWarningDialogLine4")},
    };
    for (const auto& [what, message] : messages)
    {
        w40388_ui::DefaultLookAndFeel lookAndFeel;
        juce::Component content;
        juce::Label label;
        juce::TextButton ok("OK"), cancel("Cancel");
        juce::ToggleButton tick("DontWarning");
        const ui::WarningDialogTexts texts{message, text("ImportUserDataWarningDialogOk"), text("CommonCancel"),
                                           text("ImportUserDataWarningDialogDontConfirmNext")};
        ui::layOutWarningDialog(content, label, ok, cancel, tick, texts, lookAndFeel, listener);
        expectFits(content, juce::String("warning with a long message in ") + what);
        EXPECT_GT(content.getHeight(), 180) << what;
        for (juce::Component* control : {static_cast<juce::Component*>(&ok), static_cast<juce::Component*>(&cancel),
                                         static_cast<juce::Component*>(&tick)})
            EXPECT_GE(control->getY(), label.getBottom()) << what << ": " << control->getName();
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, DialogTextFitTest, testing::Values(Language::english, Language::japanese),
                         [](const testing::TestParamInfo<int>& info)
                         { return info.param == Language::japanese ? "Japanese" : "English"; });
} // namespace
