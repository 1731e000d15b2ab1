// The settings, about and anti-aliasing warning dialogs in their own windows
// on the headless host, clicked and keyed as a user would: each list sets
// its setting, settings changed elsewhere show, the dialogs are modal, and
// their layouts keep every control whole and apart at scales 1 and 2.
#include "GUI/api/Font.h"
#include "GUI/api/HeadlessWindowPlatform.h"
#include "this/src/AboutDialog.h"
#include "this/src/SettingsDialog.h"
#include "this/src/UnpreciseMappingDialog.h"

#include "support/HeadlessDesk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace Brintavolex {

namespace {

namespace M = GUI::WindowMessages;
using Row = SettingsDialog::Row;
using Mode = Resampling::EnumResamplingMode;
using Language = Locale::EnumLanguage;
constexpr std::uint32_t kEscape = 27;

struct LanguageScope {
    explicit LanguageScope(Language language) { Locale::SetCurrentLanguage(language); }
    ~LanguageScope() { Locale::SetCurrentLanguage(_saved); }
    Language _saved = Locale::GetCurrentLanguageSetting();
};

struct Host {
    explicit Host(double scale = 1.0)
    {
        gui.CreateContextSoftware();
        main->SetScale(scale);
        main->SetRect(100, 100, 1300, 1000);
        mainButton.SetRect(10, 40, 110, 70);
        mainButton.SetEnabled(true);
        mainButton.OnClick().ResetCallable([this](GUI::Button &) { ++mainClicks; });
        main->Add(mainButton);
        Function2<void()> close;
        close.ResetCallable([this] { ++mainCloses; });
        main->SetCloseAction(close);
        gui.SetRootPanel(main);
        gui.Show();
    }
    ~Host() { main->Clear(); }

    SharedPtr<SettingsDialog> ShowSettings()
    {
        SettingsDialog::Callbacks callbacks{[this](bool on) { deleteEnabled.push_back(on); },
                                            [this](bool on) { thumbnail.push_back(on); }, [this] { ++saves; }};
        auto dialog = ShowSettingsDialog(gui, settings, callbacks);
        Paint();
        return dialog;
    }
    void Paint()
    {
        gui.RequestRepaint();
        gui.HandleGUIMessages();
    }
    void ClickIn(const GUI::Panel &panel, const GUI::Rect &r)
    {
        TestSupport::ClickIn(gui, *platform, panel, r);
        Paint();
    }
    // Opens the list and clicks the entry of that name in the open list.
    void Choose(GUI::Panel &dialog, GUI::DropDownList &list, const String &entry)
    {
        ClickIn(dialog, list.GetRect());
        ASSERT_TRUE(list.IsOpen());
        const auto &names = list.GetEntries();
        const auto found = std::find(names.begin(), names.end(), entry);
        ASSERT_NE(found, names.end()) << entry.ToStdString();
        const std::int32_t row = std::int32_t(found - names.begin()), h = list.RowHeight();
        ClickIn(*list.GetListPanel(), GUI::Rect{0, row * h, list.GetRect().Width(), (row + 1) * h});
        EXPECT_FALSE(list.IsOpen());
    }
    void Key(GUI::WindowHandle window, std::uint32_t key)
    {
        platform->InjectKey(window, M::KeyDown, key);
        platform->InjectKey(window, M::KeyUp, key);
        gui.ProcessPendingMessages();
    }
    GUI::WindowHandle MainWindow() const { return gui.WindowOf(*main); }
    template <class D> std::size_t Shown() const
    {
        return std::size_t(std::count_if(gui.Panels().begin(), gui.Panels().end(),
                                         [](const SharedPtr<GUI::Panel> &p) { return dynamic_cast<D *>(p.Get()); }));
    }

    SharedPtr<GUI::HeadlessWindowPlatform> platform = MakeShared<GUI::HeadlessWindowPlatform>();
    GUI::GUI gui{platform};
    SharedPtr<GUI::PanelWithTransparentTitle> main = MakeShared<GUI::PanelWithTransparentTitle>();
    GUI::Button mainButton;
    int mainClicks = 0, mainCloses = 0;
    PlanoscopeSettings settings;
    std::vector<bool> deleteEnabled, thumbnail;
    int saves = 0;
};

String Shown(const GUI::DropDownList &list)
{
    const std::int32_t i = list.GetSelectedIndex();
    return i < 0 ? String() : list.GetEntries().at(std::size_t(i));
}

// Every control of the dialog inside it and clear of the others; every text
// fits its control in both languages.
void ExpectTidyLayout(const ModalDialog &dialog, const std::string &name)
{
    SCOPED_TRACE(name);
    const GUI::Rect panel{0, 0, dialog.GetRect().Width(), dialog.GetRect().Height()};
    const std::vector<GUI::Control *> children(dialog.Children().begin(), dialog.Children().end());
    const SharedPtr<GUI::Font> font = dialog.GetFont(GUI::FontRole::Normal);
    ASSERT_TRUE(font);
    for (std::size_t i = 0; i < children.size(); ++i) {
        const GUI::Rect r = children[i]->GetRect();
        EXPECT_TRUE(r.Width() > 0 && r.Height() > 0 && r.x0 >= 0 && r.y0 >= 0 && r.x1 <= panel.x1 && r.y1 <= panel.y1)
            << "control " << i << " at " << r.x0 << "," << r.y0 << "-" << r.x1 << "," << r.y1;
        for (std::size_t j = i + 1; j < children.size(); ++j)
            EXPECT_FALSE(r.IntersectsStrictly(children[j]->GetRect())) << "controls " << i << " and " << j;
        const TextPair *text = nullptr;
        if (const auto *label = dynamic_cast<const GUI::Label *>(children[i]))
            text = &label->GetText();
        else if (const auto *button = dynamic_cast<const GUI::Button *>(children[i]))
            text = &button->GetCaption();
        if (const auto *list = dynamic_cast<const GUI::DropDownList *>(children[i])) {
            for (const String &entry : list->GetEntries())
                // Clear of the arrow at the right.
                EXPECT_LE(dialog.GUIUnit(dialog.GetStyle()->padding) + font->TextWidth(entry) +
                              3 * std::max(r.Height() / 4, 2),
                          r.Width())
                    << entry.ToStdString();
        }
        if (text && children[i] != &dialog.CloseButton()) {
            // Padded on both sides (a left-aligned label starts after it).
            for (const String &t : *text)
                EXPECT_LE(font->TextWidth(t) + 2 * dialog.GUIUnit(dialog.GetStyle()->padding), r.Width())
                    << t.ToStdString();
        }
    }
    // The title's text ends before its close button starts.
    const SharedPtr<GUI::Font> title = dialog.GetFont(GUI::FontRole::Title);
    for (int language : {0, 1})
        EXPECT_LT(title->TextWidth(dialog.GetTitle(language)), dialog.CloseButton().GetRect().x0);
}

} // namespace

TEST(SettingsDialog, EveryRowSetsItsSettingAndShowsChangesMadeElsewhere)
{
    LanguageScope english(Language::English);
    Host h;
    const SharedPtr<SettingsDialog> d = h.ShowSettings();
    PlanoscopeSettings &s = h.settings;
    auto grey = [&] { return s.backgroundColor.Get(); };
    struct Step {
        Row row;
        const char *entry;
        std::function<bool()> holds;
    };
    const float g63 = 63.0f / 255.0f;
    const std::vector<Step> steps{
        {Row::Background, "White",
         [&] {
             return grey() == Data::ColorBGRA<float>{1, 1, 1, 1};
         }},
        {Row::Background, "Black",
         [&] {
             return grey() == Data::ColorBGRA<float>{0, 0, 0, 1};
         }},
        {Row::Background, "Grey (default)",
         [&] { return std::fabs(grey().r - g63) < 1e-6f && grey().g == grey().r && grey().b == grey().r; }},
        {Row::SamplingAbove100, "Nearest neighbor",
         [&] { return s.viewer2D.interpolationG100.Get() == Mode::Nearest; }},
        {Row::SamplingAbove100, "MipMap Trilinear",
         [&] { return s.viewer2D.interpolationG100.Get() == Mode::MipMapTrilinear; }},
        {Row::SamplingAt100, "Linear", [&] { return s.viewer2D.interpolationE100.Get() == Mode::Linear; }},
        {Row::SamplingBelow100, "Cubic", [&] { return s.viewer2D.interpolationL100.Get() == Mode::Cubic; }},
        {Row::SamplingBelow100, "MipMap Bilinear",
         [&] { return s.viewer2D.interpolationL100.Get() == Mode::MipMapBilinear; }},
        {Row::SamplingAt100, "Area sampling", [&] { return s.viewer2D.interpolationE100.Get() == Mode::Area; }},
        {Row::Renderer, "OpenGL", [&] { return s.renderer.Get() == Platform::Video::RendererTypeEnum::OpenGL; }},
        {Row::Renderer, "Software", [&] { return s.renderer.Get() == Platform::Video::RendererTypeEnum::Software; }},
        {Row::Icon, "Thumbnail (2D images)", [&] { return s.thumbnailIcon.Get(); }},
        {Row::DeleteFile, "yes, enable button and [Delete]", [&] { return s.enableFileDelete.Get(); }},
        {Row::DeleteFile, "no", [&] { return !s.enableFileDelete.Get(); }},
        {Row::Language, "EN English", [&] { return s.language.Get() == Language::English; }},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.entry);
        h.Choose(*d, d->List(step.row), String(step.entry));
        EXPECT_TRUE(step.holds());
        EXPECT_EQ(Shown(d->List(step.row)), String(step.entry));
    }
    // Only the settings without a notification of their own ask for a save;
    // the application hears of each of their changes.
    EXPECT_EQ(h.saves, 3);
    EXPECT_EQ(h.deleteEnabled, (std::vector<bool>{true, false}));
    EXPECT_EQ(h.thumbnail, std::vector<bool>{true});

    // Changed elsewhere: shown at the next frame.
    s.viewer2D.interpolationE100 = Mode::Cubic;
    s.renderer = Platform::Video::RendererTypeEnum::Direct3D9;
    s.enableFileDelete = true;
    s.thumbnailIcon = false;
    s.backgroundColor = Data::ColorBGRA<float>{30.0f / 255, 20.0f / 255, 10.0f / 255, 1};
    h.Paint();
    EXPECT_EQ(Shown(d->List(Row::SamplingAt100)), String("Cubic"));
    EXPECT_EQ(Shown(d->List(Row::Renderer)), String("Direct3D9"));
    EXPECT_EQ(Shown(d->List(Row::DeleteFile)), String("yes, enable button and [Delete]"));
    EXPECT_EQ(Shown(d->List(Row::Icon)), String("Default"));
    // A colour that is none of the greys is named by its components (B, G, R
    // stored: R 10, G 20, B 30) until a grey replaces it.
    EXPECT_EQ(Shown(d->List(Row::Background)), String("Own colour (10, 20, 30)"));
    h.Choose(*d, d->List(Row::Background), String("Light grey"));
    EXPECT_EQ(grey(), (Data::ColorBGRA<float>{192.0f / 255, 192.0f / 255, 192.0f / 255, 1}));
    EXPECT_EQ(d->List(Row::Background).GetEntries().size(), SettingsDialog::BackgroundGreys().size());
}

TEST(SettingsDialog, ChoosingGermanRelabelsTheDialogAtTheNextFrame)
{
    LanguageScope english(Language::English);
    Host h;
    const SharedPtr<SettingsDialog> d = h.ShowSettings();
    const GUI::WindowHandle window = h.gui.WindowOf(*d);
    // The title line left of its button, and the rows below it.
    auto strips = [&] {
        const auto &frame = h.platform->Frames(window);
        const std::size_t stride = std::size_t(frame.Width()) * 4, title = std::size_t(d->TitleHeight());
        std::vector<std::uint8_t> left,
            rows(frame.Pixels().begin() + std::ptrdiff_t(title * stride), frame.Pixels().end());
        for (std::size_t y = 0; y < title; ++y)
            left.insert(left.end(), frame.Pixels().begin() + std::ptrdiff_t(y * stride),
                        frame.Pixels().begin() +
                            std::ptrdiff_t(y * stride + std::size_t(d->CloseButton().GetRect().x0) * 4));
        return std::pair{left, rows};
    };
    const auto englishFrame = strips();
    h.Choose(*d, d->List(Row::Language), String("DE German"));
    EXPECT_EQ(Locale::GetLanguageIndex(), 0u);
    EXPECT_EQ(Shown(d->List(Row::Language)), String("DE Deutsch"));
    EXPECT_EQ(Shown(d->List(Row::SamplingBelow100)), String("Area sampling"));
    EXPECT_EQ(d->List(Row::SamplingAbove100).GetEntries().at(2), String("Kubisch"));
    EXPECT_EQ(d->GetWindowTitle(), String("Einstellungen"));
    const auto germanFrame = strips();
    EXPECT_NE(germanFrame.first, englishFrame.first);
    EXPECT_NE(germanFrame.second, englishFrame.second);
    h.Choose(*d, d->List(Row::Language), String("Automatisch (Systemsprache)"));
    EXPECT_EQ(h.settings.language.Get(), Language::Auto);
}

TEST(SettingsDialog, IsModalSingleAndClosesByEscapeAndBothButtons)
{
    LanguageScope english(Language::English);
    Host h;
    SharedPtr<SettingsDialog> d = h.ShowSettings();
    // The main window takes no pointer meanwhile; its keys go to the dialog.
    h.ClickIn(*h.main, h.mainButton.GetRect());
    EXPECT_EQ(h.mainClicks, 0);
    EXPECT_EQ(h.ShowSettings(), d);
    EXPECT_EQ(h.Shown<SettingsDialog>(), 1u);
    // Showing again brings it in front of a dialog shown since.
    const SharedPtr<AboutDialog> about = ShowAboutDialog(h.gui, {});
    EXPECT_EQ(h.gui.Panels().back(), SharedPtr<GUI::Panel>(about));
    h.ShowSettings();
    EXPECT_EQ(h.gui.Panels().back(), SharedPtr<GUI::Panel>(d));
    EXPECT_EQ(h.gui.GetModalPanel(), d.Get());
    // Escape on the main window's keyboard closes the dialog in front, the
    // next one the dialog below, and only then the main window.
    h.Key(h.MainWindow(), kEscape);
    EXPECT_EQ(h.Shown<SettingsDialog>(), 0u);
    EXPECT_EQ(h.gui.GetModalPanel(), about.Get());
    h.Key(h.MainWindow(), kEscape);
    EXPECT_EQ(h.Shown<AboutDialog>(), 0u);
    EXPECT_EQ(h.mainCloses, 0);
    EXPECT_EQ(h.gui.GetModalPanel(), nullptr);
    h.Key(h.MainWindow(), kEscape);
    EXPECT_EQ(h.mainCloses, 1);
    h.Paint();
    h.ClickIn(*h.main, h.mainButton.GetRect());
    EXPECT_EQ(h.mainClicks, 1);
    for (int button = 0; button < 2; ++button) {
        d = h.ShowSettings();
        h.ClickIn(*d, (button ? d->CancelButton() : d->CloseButton()).GetRect());
        EXPECT_EQ(h.Shown<SettingsDialog>(), 0u) << button;
    }
}

TEST(Dialogs, LayOutWithEveryControlWholeAndApartAtScales1And2)
{
    LanguageScope english(Language::English);
    for (double scale : {1.0, 2.0}) {
        SCOPED_TRACE(scale);
        Host h(scale);
        const SharedPtr<SettingsDialog> settings = h.ShowSettings();
        // The widest entry the background list can show.
        h.settings.backgroundColor = Data::ColorBGRA<float>{1, 0.5f, 1, 1};
        h.Paint();
        ExpectTidyLayout(*settings, "settings");
        settings->Close();
        ExpectTidyLayout(*ShowAboutDialog(h.gui, {}), "about");
        ExpectTidyLayout(*ShowUnpreciseMappingDialog(h.gui, {}), "warning");
        // Twice the scale, about twice the size; inside the main window.
        const GUI::Rect r = h.gui.Panels().back()->GetRect();
        EXPECT_GT(r.Width(), std::int32_t(250 * scale));
        EXPECT_TRUE(r.x0 >= 100 && r.x1 <= 1300 && r.y0 >= 100 && r.y1 <= 1000);
    }
}

TEST(AboutDialog, NamesProductAndVersionAndOpensTheWebPage)
{
    LanguageScope english(Language::English);
    Host h;
    std::vector<String> opened;
    const SharedPtr<AboutDialog> d = ShowAboutDialog(h.gui, {[&](const String &url) { opened.push_back(url); }});
    h.Paint();
    EXPECT_EQ(d->ProductLabel().GetText()[1], String("Brintavolex Viewer"));
    EXPECT_EQ(d->VersionLabel().GetText()[1], String("Version " BRINTAVOLEX_VERSION));
    h.ClickIn(*d, d->WebPageButton().GetRect());
    EXPECT_EQ(opened, std::vector<String>{String(kProjectWebPage)});
    // A browser that fails leaves the dialog as it was.
    d->SetCallbacks({[](const String &) { throw Exception("no browser"); }});
    h.ClickIn(*d, d->WebPageButton().GetRect());
    EXPECT_EQ(h.Shown<AboutDialog>(), 1u);
}

TEST(UnpreciseMappingDialog, ShowsTheWarningAndQuitsOrContinues)
{
    LanguageScope english(Language::English);
    Host h;
    int quits = 0;
    const UnpreciseMappingDialog::Callbacks callbacks{[&] { ++quits; }};
    SharedPtr<UnpreciseMappingDialog> d = ShowUnpreciseMappingDialog(h.gui, callbacks);
    const char *expected[] = {
        "Forced anti-aliasing by the graphics driver was detected.",
        "This reduces the precision and speed of our image presentation.",
        "Please deactivate forced anti-aliasing in the 3D/OpenGL settings of the graphics driver or choose",
        "another renderer in the settings dialog of the image viewer. After changes a program restart is", "required."};
    for (std::size_t i = 0; i < UnpreciseMappingDialog::kLineCount; ++i)
        EXPECT_EQ(d->Line(i).GetText()[1], String(expected[i])) << i;
    EXPECT_EQ(d->CloseButton().GetCaption()[1], String("Close (Continue) [ESC]"));
    h.Paint();
    // Escape continues: the dialog goes, nothing quits.
    h.Key(h.MainWindow(), kEscape);
    EXPECT_EQ(h.Shown<UnpreciseMappingDialog>(), 0u);
    EXPECT_EQ(quits, 0);
    d = ShowUnpreciseMappingDialog(h.gui, callbacks);
    h.Paint();
    h.ClickIn(*d, d->ContinueButton().GetRect());
    EXPECT_EQ(h.Shown<UnpreciseMappingDialog>(), 0u);
    EXPECT_EQ(quits, 0);
    d = ShowUnpreciseMappingDialog(h.gui, callbacks);
    h.Paint();
    h.ClickIn(*d, d->QuitButton().GetRect());
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(h.Shown<UnpreciseMappingDialog>(), 0u);
    EXPECT_EQ(h.mainCloses, 0);
}

} // namespace Brintavolex
