#include "this/src/AboutDialog.h"

#include "Platform/api/ErrorLog.h"
#include "Platform/api/Version.h"
#include "this/src/DialogTexts.h"

#include <algorithm>

namespace Brintavolex {

namespace {

namespace T = DialogTexts;

TextPair Same(const String &text) { return TextPair{text, text}; }

} // namespace

AboutDialog::AboutDialog(Callbacks callbacks)
    : ModalDialog(T::AboutTitle, T::CloseEsc), _callbacks(std::move(callbacks)),
      _product(Same(ProductName()), GUI::Label::AlignCentre),
      _version(TextPair{T::Version[0] + " " + ProductVersion(), T::Version[1] + " " + ProductVersion()},
               GUI::Label::AlignCentre),
      _copyright(T::Copyright, GUI::Label::AlignCentre), _webPage(Same(kProjectWebPage))
{
    _product.SetFontRole(GUI::FontRole::Title);
    _webPage.SetTooltipTexts(T::OpenWebPage);
    _webPage.OnClick().ResetCallable([this](GUI::Button &) {
        // A browser that does not start must not end the program.
        try {
            if (_callbacks.openWebPage)
                _callbacks.openWebPage(String(kProjectWebPage));
        } catch (const std::exception &e) {
            BRINTAVOLEX_LOG(StringExpr("AboutDialog: opening the web page failed: ") + e.what());
        }
    });
    AddControls({&_product, &_version, &_copyright, &_webPage});
}

AboutDialog::~AboutDialog() { Clear(); }

DialogSize AboutDialog::PreferredSize() const
{
    const std::int32_t gap = Gap();
    const std::int32_t content =
        std::max({TextWidth(_product.GetText(), GUI::FontRole::Title), TextWidth(_version.GetText()),
                  TextWidth(_copyright.GetText()), ButtonWidth(_webPage.GetCaption())}) +
        2 * GUIUnit(GetStyle()->padding);
    // Four rows and a gap above and below each.
    return {std::max(content + 4 * gap, TitleLineWidth()), TitleHeight() + 2 * gap + 4 * (RowHeight() + gap) + gap};
}

void AboutDialog::LayOut()
{
    const std::int32_t gap = Gap(), rowHeight = RowHeight(), w = GetRect().Width();
    std::int32_t y = TitleHeight() + 2 * gap;
    for (GUI::Label *label : {&_product, &_version, &_copyright}) {
        label->SetRect(gap, y, std::max(gap, w - gap), y + rowHeight);
        y += rowHeight + gap;
    }
    const std::int32_t button = std::min(w, ButtonWidth(_webPage.GetCaption()));
    _webPage.SetRect((w - button) / 2, y, (w - button) / 2 + button, y + rowHeight);
}

SharedPtr<AboutDialog> ShowAboutDialog(GUI::GUI &gui, AboutDialog::Callbacks callbacks)
{
    SharedPtr<AboutDialog> dialog = ShownDialog<AboutDialog>(gui);
    if (dialog)
        dialog->SetCallbacks(std::move(callbacks));
    else
        dialog = MakeShared<AboutDialog>(std::move(callbacks));
    ShowModal(gui, dialog);
    return dialog;
}

} // namespace Brintavolex
