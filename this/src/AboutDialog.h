#pragma once

// The about dialog: product name, version, copyright and a button that opens
// the project's web page.

#include "GUI/api/Label.h"
#include "this/src/ModalDialog.h"

#include <functional>

namespace Brintavolex {

// The project's web page, as the about dialog shows and opens it.
inline constexpr const char *kProjectWebPage = "https://brintavolex.org/viewer/";

class AboutDialog : public ModalDialog {
public:
    struct Callbacks {
        // Opens url in the browser (the shell's "open").
        std::function<void(const String &url)> openWebPage;
    };

    explicit AboutDialog(Callbacks callbacks);
    ~AboutDialog() override;
    void SetCallbacks(Callbacks callbacks) { _callbacks = std::move(callbacks); }

    const GUI::Label &ProductLabel() const noexcept { return _product; }
    const GUI::Label &VersionLabel() const noexcept { return _version; }
    const GUI::Label &CopyrightLabel() const noexcept { return _copyright; }
    GUI::Button &WebPageButton() noexcept { return _webPage; }

    DialogSize PreferredSize() const override;

protected:
    void LayOut() override;

private:
    Callbacks _callbacks;
    GUI::Label _product, _version, _copyright;
    GUI::Button _webPage;
};

SharedPtr<AboutDialog> ShowAboutDialog(GUI::GUI &gui, AboutDialog::Callbacks callbacks);

} // namespace Brintavolex
