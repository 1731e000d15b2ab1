#pragma once

// The warning shown when the graphics driver forces anti-aliasing: the
// pictures are then neither exact nor fast. Quit ends the program; Continue
// and Escape go on with it as it is.

#include "GUI/api/Label.h"
#include "this/src/ModalDialog.h"

#include <array>
#include <functional>

namespace Brintavolex {

class UnpreciseMappingDialog : public ModalDialog {
public:
    static constexpr std::size_t kLineCount = 5;
    struct Callbacks {
        // Ends the program (the dialog has closed already).
        std::function<void()> quit;
    };

    explicit UnpreciseMappingDialog(Callbacks callbacks);
    ~UnpreciseMappingDialog() override;
    void SetCallbacks(Callbacks callbacks) { _callbacks = std::move(callbacks); }

    const GUI::Label &Line(std::size_t index) const { return _lines.at(index); }
    GUI::Button &QuitButton() noexcept { return _quit; }
    GUI::Button &ContinueButton() noexcept { return _continue; }

    DialogSize PreferredSize() const override;

protected:
    void LayOut() override;

private:
    void Quit();
    Callbacks _callbacks;
    std::array<GUI::Label, kLineCount> _lines;
    GUI::Button _quit, _continue;
};

SharedPtr<UnpreciseMappingDialog> ShowUnpreciseMappingDialog(GUI::GUI &gui,
                                                             UnpreciseMappingDialog::Callbacks callbacks);

} // namespace Brintavolex
