#pragma once

// The base of the application's small dialogs: a panel in a window of its
// own, owned by the main window and modal while it is shown (the main window
// takes neither pointer nor keys), with a close button in its title line
// that Escape clicks. Sizes come from the texts in both languages, so a
// language switch never cuts a text and nothing needs laying out again.

#include "GUI/api/Button.h"
#include "GUI/api/GUI.h"
#include "GUI/api/Panel.h"

#include <cstdint>
#include <initializer_list>

namespace Brintavolex {

struct DialogSize {
    std::int32_t width = 0, height = 0;
};

class ModalDialog : public GUI::PanelWithTransparentTitle {
public:
    ModalDialog(const TextPair &title, const TextPair &closeCaption);
    ~ModalDialog() override;

    // Leaves the GUI; the main window (or the dialog shown before) takes the
    // pointer and the keyboard again.
    void Close();
    GUI::Button &CloseButton() noexcept { return _close; }
    const GUI::Button &CloseButton() const noexcept { return _close; }
    // Width and height in pixels at the panel's scale.
    virtual DialogSize PreferredSize() const = 0;

    void Draw() override;
    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;
    void OnScaleChanged() override;

protected:
    // Places the controls in the panel's current size.
    virtual void LayOut() = 0;
    // What Escape and the title line's button do; closing by default.
    virtual void Dismiss() { Close(); }
    // Adds and enables the controls.
    void AddControls(std::initializer_list<GUI::Control *> controls);
    // The wider of a text's two languages in the panel's font; outside a GUI
    // an estimate from its length.
    std::int32_t TextWidth(const TextPair &text, GUI::FontRole role = GUI::FontRole::Normal) const;
    // Of a button or list showing text: the text with padding on both sides.
    std::int32_t ButtonWidth(const TextPair &text) const;
    std::int32_t Gap() const;
    std::int32_t RowHeight() const;
    // The width the title line needs: title, gap, close button.
    std::int32_t TitleLineWidth() const;

private:
    void PlaceControls();
    GUI::Button _close;
    unsigned _drawnLanguage = 0;
};

// The dialog of type D shown on gui, or null.
template <class D> SharedPtr<D> ShownDialog(GUI::GUI &gui)
{
    for (const SharedPtr<GUI::Panel> &panel : gui.Panels())
        if (auto *dialog = dynamic_cast<D *>(panel.Get()))
            return dialog->template SharedFromThis<D>();
    return nullptr;
}

// Shows dialog centred over the main window in a window of its own, modal;
// a dialog already shown comes to the front and takes the keyboard again.
void ShowModal(GUI::GUI &gui, const SharedPtr<ModalDialog> &dialog);

} // namespace Brintavolex
