#pragma once

// The window that shows a property tree (a decoded file's headers): the
// tree, a hexadecimal toggle, "Save as ..." to a comma-separated file and
// "Close [ESC]" in the title line.

#include "GUI/api/Button.h"
#include "GUI/api/GUI.h"
#include "GUI/api/Label.h"
#include "GUI/api/Panel.h"
#include "GUI/api/Widgets.h"
#include "this/src/PropertyTreeControl.h"

#include <functional>

namespace Brintavolex {

class PropertyTree : public GUI::PanelWithTransparentTitle {
public:
    // Asks the user for a path to save to; an empty String when cancelled.
    using AskPath = std::function<String()>;

    PropertyTree();
    ~PropertyTree() override;

    void SetRoot(const SharedPtr<IProperty> &root) { _tree.SetRoot(root); }
    void SetAskPath(AskPath askPath) { _askPath = std::move(askPath); }
    PropertyTreeControl &Tree() noexcept { return _tree; }
    GUI::Button &CloseButton() noexcept { return _close; }
    GUI::Button &SaveButton() noexcept { return _save; }
    GUI::CheckBox &HexadecimalBox() noexcept { return _hexadecimal; }
    // The outcome of the last save: empty, or why it failed.
    const String &Message() const noexcept { return _messageText; }

    // Asks for a path and writes the lines as shown; a failure is shown in
    // the window, never thrown.
    void SaveAs();
    // Leaves the GUI (the window closes); then the close callback.
    void Close();
    // After the window closed.
    Function<PropertyTree &> &OnClose() noexcept { return _onClose; }

    void Draw() override;
    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;
    bool OnKeyDown(std::uint32_t key, std::int64_t flags) override;
    void OnScaleChanged() override;

private:
    void LayOut();
    void CloseClicked(GUI::Button &);
    void SaveClicked(GUI::Button &);
    void HexadecimalClicked(GUI::CheckBox &);
    void ShowMessage(const String &text);

    PropertyTreeControl _tree;
    GUI::Button _close;
    GUI::Button _save;
    GUI::CheckBox _hexadecimal;
    // Cut at the window's edge; the whole text shows as its tooltip.
    GUI::LabelWithTooltip _message;
    String _messageText;
    AskPath _askPath;
    Function<PropertyTree &> _onClose;
};

// Opens the tree of root in a window of its own on gui (owned by the main
// window) that the GUI keeps until it is closed; a tree window opened
// before on gui closes first. askPath is the save dialog.
SharedPtr<PropertyTree> ShowHeaderTree(GUI::GUI &gui, const SharedPtr<IProperty> &root, const String &title,
                                       PropertyTree::AskPath askPath);

} // namespace Brintavolex
