#include "this/src/ModalDialog.h"

#include "GUI/api/Font.h"

#include <algorithm>

namespace Brintavolex {

namespace {

// Sizes in style units.
constexpr double kGapUnits = 6.0;
// Outside a GUI no font measures: a generous average glyph width.
constexpr double kEstimatedGlyphUnits = 8.0;

} // namespace

ModalDialog::ModalDialog(const TextPair &title, const TextPair &closeCaption) : _close(closeCaption)
{
    SetEnabled(true);
    SetTitle(title[0], title[1]);
    _close.SetEnabled(true);
    Add(_close);
    _close.OnClick().ResetCallable([this](GUI::Button &) { Dismiss(); });
    Function2<void()> escape;
    escape.ResetCallable([this] { Dismiss(); });
    SetCloseAction(escape);
}

ModalDialog::~ModalDialog() { Clear(); }

void ModalDialog::AddControls(std::initializer_list<GUI::Control *> controls)
{
    for (GUI::Control *control : controls) {
        control->SetEnabled(true);
        Add(*control);
    }
}

void ModalDialog::Close()
{
    GUI::GUI *gui = GetGUI();
    if (!gui)
        return;
    // Keep alive until it is fully detached: the GUI may hold the last reference.
    SharedPtr<ModalDialog> keep = SharedFromThis<ModalDialog>();
    // As the header tree: the render objects go before the window does.
    DeleteContextObjects();
    gui->RemovePanel(*this);
    // A dialog shown before this one is modal again, else the main window
    // is free.
    SharedPtr<ModalDialog> below;
    for (const SharedPtr<GUI::Panel> &panel : gui->Panels())
        if (auto *dialog = dynamic_cast<ModalDialog *>(panel.Get()))
            below = dialog->SharedFromThis<ModalDialog>();
    if (gui->GetModalPanel() == this || gui->GetModalPanel() == nullptr)
        gui->SetModalPanel(below.Get());
    // (Removing the panel gave the keys to the main window.)
    if (gui->GetActivePanel() == this || gui->GetActivePanel() == nullptr ||
        gui->GetActivePanel() == gui->GetRootPanel().Get())
        gui->SetActivePanel(below ? static_cast<GUI::Panel *>(below.Get()) : gui->GetRootPanel().Get());
    gui->RequestRepaint();
}

std::int32_t ModalDialog::TextWidth(const TextPair &text, GUI::FontRole role) const
{
    if (const SharedPtr<GUI::Font> font = GetFont(role))
        return std::max(font->TextWidth(text[0]), font->TextWidth(text[1]));
    const std::size_t length = std::max(text[0].ToU16String().size(), text[1].ToU16String().size());
    return GUIUnit(kEstimatedGlyphUnits * double(length));
}

std::int32_t ModalDialog::ButtonWidth(const TextPair &text) const
{
    // Room for the drop-down arrow as well: three quarters of a row.
    return TextWidth(text) + 2 * GUIUnit(GetStyle()->padding) + RowHeight() * 3 / 4;
}

std::int32_t ModalDialog::Gap() const { return GUIUnit(kGapUnits); }

std::int32_t ModalDialog::RowHeight() const { return GUIUnit(GetStyle()->controlHeight); }

std::int32_t ModalDialog::TitleLineWidth() const
{
    const TextPair title{GetTitle(0), GetTitle(1)};
    return GUIUnit(GetStyle()->padding) + TextWidth(title, GUI::FontRole::Title) + 2 * Gap() +
           ButtonWidth(_close.GetCaption());
}

void ModalDialog::Draw()
{
    // The title line is kept built until the panel is invalidated: a
    // language switch does that, the labels follow on their own.
    const unsigned language = Locale::GetLanguageIndex();
    if (language != _drawnLanguage) {
        _drawnLanguage = language;
        Invalidate();
    }
    PanelWithTransparentTitle::Draw();
    // The title line is drawn over the content: its button goes on top.
    if (_close.IsVisible())
        _close.Draw();
}

void ModalDialog::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    const GUI::Rect before = GetRect();
    PanelWithTransparentTitle::SetRect(x0, y0, x1, y1);
    // Moving the window by its title line keeps the layout.
    if (before.Width() != x1 - x0 || before.Height() != y1 - y0)
        PlaceControls();
}

void ModalDialog::PlaceControls()
{
    const std::int32_t w = GetRect().Width();
    _close.SetRect(std::max(0, w - ButtonWidth(_close.GetCaption())), 0, w,
                   std::min(TitleHeight(), GetRect().Height()));
    LayOut();
}

void ModalDialog::OnScaleChanged()
{
    PanelWithTransparentTitle::OnScaleChanged();
    // Texts and metrics grow with the scale: so does the window.
    const DialogSize size = PreferredSize();
    const GUI::Rect r = GetRect();
    SetRect(r.x0, r.y0, r.x0 + size.width, r.y0 + size.height);
    PlaceControls();
}

void ShowModal(GUI::GUI &gui, const SharedPtr<ModalDialog> &dialog)
{
    if (!dialog->GetGUI()) {
        GUI::Rect main{0, 0, 0, 0};
        if (const SharedPtr<GUI::Panel> &root = gui.GetRootPanel()) {
            dialog->SetStyle(root->GetStyle());
            dialog->SetScale(root->GetScale());
            dialog->SetWorkArea(root->GetWorkArea());
            main = root->GetRect();
        }
        gui.AddPanel(dialog);
        // Measured with the GUI's fonts now that it is in the GUI.
        const DialogSize size = dialog->PreferredSize();
        const std::int32_t x0 = main.x0 + (main.Width() - size.width) / 2;
        const std::int32_t y0 = main.y0 + (main.Height() - size.height) / 2;
        dialog->SetRect(x0, y0, x0 + size.width, y0 + size.height);
        dialog->KeepInsideWorkArea();
    } else {
        gui.BringToFront(*dialog);
    }
    gui.SetModalPanel(dialog.Get());
    gui.SetActivePanel(dialog.Get());
    gui.RequestRepaint();
}

} // namespace Brintavolex
