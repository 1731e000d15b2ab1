#include "this/src/UnpreciseMappingDialog.h"

#include "this/src/DialogTexts.h"

#include <algorithm>

namespace Brintavolex {

namespace T = DialogTexts;

UnpreciseMappingDialog::UnpreciseMappingDialog(Callbacks callbacks)
    : ModalDialog(T::WarningTitle, T::CloseContinue), _callbacks(std::move(callbacks)), _quit(T::Quit),
      _continue(T::Continue)
{
    for (std::size_t i = 0; i < kLineCount; ++i) {
        _lines[i].SetText(T::ForcedAntiAliasing[i]);
        AddControls({&_lines[i]});
    }
    AddControls({&_quit, &_continue});
    _quit.OnClick().ResetCallable([this](GUI::Button &) { Quit(); });
    _continue.OnClick().ResetCallable([this](GUI::Button &) { Close(); });
}

UnpreciseMappingDialog::~UnpreciseMappingDialog() { Clear(); }

void UnpreciseMappingDialog::Quit()
{
    // Closing may destroy the dialog: the callback goes first onto the stack.
    const std::function<void()> quit = _callbacks.quit;
    Close();
    if (quit)
        quit();
}

DialogSize UnpreciseMappingDialog::PreferredSize() const
{
    const std::int32_t gap = Gap(), padding = GUIUnit(GetStyle()->padding);
    std::int32_t text = 0;
    for (const GUI::Label &line : _lines)
        text = std::max(text, TextWidth(line.GetText()));
    const std::int32_t buttons = ButtonWidth(_quit.GetCaption()) + gap + ButtonWidth(_continue.GetCaption());
    const std::int32_t width = std::max({text + 2 * padding + 2 * gap, buttons + 2 * gap, TitleLineWidth()});
    const std::int32_t lines = std::int32_t(kLineCount) * RowHeight();
    return {width, TitleHeight() + 2 * gap + lines + 2 * gap + RowHeight() + gap};
}

void UnpreciseMappingDialog::LayOut()
{
    const std::int32_t gap = Gap(), rowHeight = RowHeight(), w = GetRect().Width();
    // The lines make one paragraph: no gaps between them.
    std::int32_t y = TitleHeight() + 2 * gap;
    for (GUI::Label &line : _lines) {
        line.SetRect(gap, y, std::max(gap, w - gap), y + rowHeight);
        y += rowHeight;
    }
    y += 2 * gap;
    const std::int32_t continueX0 = std::max(0, w - gap - ButtonWidth(_continue.GetCaption()));
    _continue.SetRect(continueX0, y, std::max(continueX0, w - gap), y + rowHeight);
    const std::int32_t quitX1 = std::max(0, continueX0 - gap);
    _quit.SetRect(std::max(0, quitX1 - ButtonWidth(_quit.GetCaption())), y, quitX1, y + rowHeight);
}

SharedPtr<UnpreciseMappingDialog> ShowUnpreciseMappingDialog(GUI::GUI &gui, UnpreciseMappingDialog::Callbacks callbacks)
{
    SharedPtr<UnpreciseMappingDialog> dialog = ShownDialog<UnpreciseMappingDialog>(gui);
    if (dialog)
        dialog->SetCallbacks(std::move(callbacks));
    else
        dialog = MakeShared<UnpreciseMappingDialog>(std::move(callbacks));
    ShowModal(gui, dialog);
    return dialog;
}

} // namespace Brintavolex
