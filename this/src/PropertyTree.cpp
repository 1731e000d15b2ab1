#include "this/src/PropertyTree.h"

#include "GUI/api/Icons.h"

#include <algorithm>

namespace Brintavolex {

namespace {

// German first.
const TextPair kCloseText{String(u"Schlie\u00DFen [ESC]"), String("Close [ESC]")};
const TextPair kSaveAsText{String("Speichern unter ..."), String("Save as ...")};
const TextPair kSaveAsTooltip{String("Als CSV-Datei speichern"), String("Save as a comma-separated file")};
const char16_t kHexadecimalGerman[] = u"Hexadezimal";
const char kHexadecimalEnglish[] = "Hexadecimal";

constexpr std::uint32_t KeyEscape = 27;
// Sizes in style units.
constexpr double kCloseWidthUnits = 100.0;
constexpr double kSaveWidthUnits = 118.0;
constexpr double kCheckBoxWidthUnits = 110.0;
constexpr double kGapUnits = 4.0;
constexpr std::int32_t kDefaultWidth = 520, kDefaultHeight = 560;

SharedPtr<Data::Image2DBase> IconImage(StringExpr name, double scale, double &imageScale)
{
    const GUI::IconPixels icon = GUI::GetIcon(name, scale);
    imageScale = 1.0 / icon.scale;
    // The pixels are static: the image only wraps them.
    return Data::CreateExternalBufferImage2D(const_cast<std::uint8_t *>(icon.bgra), Data::ColorType::BGRAUInt8,
                                             std::uint64_t(icon.width), std::uint64_t(icon.height),
                                             std::uint64_t(icon.width), std::uint64_t(icon.height));
}

} // namespace

PropertyTree::PropertyTree() : _close(kCloseText), _save(kSaveAsText)
{
    SetEnabled(true);
    for (GUI::Control *child : std::initializer_list<GUI::Control *>{&_tree, &_save, &_hexadecimal, &_message, &_close}) {
        child->SetEnabled(true);
        Add(*child);
    }
    _save.SetTooltipTexts(kSaveAsTooltip);
    _hexadecimal.SetText(kHexadecimalGerman, kHexadecimalEnglish);
    _close.OnClick().Reset(&PropertyTree::CloseClicked, this);
    _save.OnClick().Reset(&PropertyTree::SaveClicked, this);
    _hexadecimal.OnClick().Reset(&PropertyTree::HexadecimalClicked, this);
    Function2<void()> close;
    close.Reset(&PropertyTree::Close, this);
    SetCloseAction(close);
    OnScaleChanged();
}

PropertyTree::~PropertyTree() { Clear(); }

void PropertyTree::OnScaleChanged()
{
    double imageScale = 1.0;
    _save.SetImage(IconImage("IconSave.bmp", ScaleOrOne(), imageScale));
    _save.SetImageScale(imageScale, imageScale);
    PanelWithTransparentTitle::OnScaleChanged();
    LayOut();
}

void PropertyTree::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    const GUI::Rect before = GetRect();
    PanelWithTransparentTitle::SetRect(x0, y0, x1, y1);
    // Moving the window keeps the layout.
    if (before.Width() != x1 - x0 || before.Height() != y1 - y0)
        LayOut();
}

void PropertyTree::LayOut()
{
    const std::int32_t w = GetRect().Width(), h = GetRect().Height();
    const std::int32_t title = std::min(TitleHeight(), h), gap = GUIUnit(kGapUnits);
    const std::int32_t rowHeight = GUIUnit(GetStyle()->controlHeight) + 2 * gap;
    _close.SetRect(std::max(0, w - GUIUnit(kCloseWidthUnits)), 0, w, title);
    const std::int32_t y0 = std::min(h, title + gap), y1 = std::min(h, title + rowHeight - gap);
    std::int32_t x = gap;
    _save.SetRect(x, y0, std::min(w, x + GUIUnit(kSaveWidthUnits)), y1);
    x = _save.GetRect().x1 + 2 * gap;
    _hexadecimal.SetRect(std::min(w, x), y0, std::min(w, x + GUIUnit(kCheckBoxWidthUnits)), y1);
    x = _hexadecimal.GetRect().x1 + 2 * gap;
    _message.SetRect(std::min(w, x), y0, std::max(std::min(w, x), w - gap), y1);
    _tree.SetRect(0, std::min(h, title + rowHeight), w, h);
}

void PropertyTree::Draw()
{
    PanelWithTransparentTitle::Draw();
    // The title line is drawn over the content: the close button goes on top.
    if (_close.IsVisible())
        _close.Draw();
}

bool PropertyTree::OnKeyDown(std::uint32_t key, std::int64_t flags)
{
    if (PanelWithTransparentTitle::OnKeyDown(key, flags))
        return true;
    // Navigation keys reach the tree wherever the focus is.
    return key != KeyEscape && _tree.OnKeyDown(key, flags);
}

void PropertyTree::ShowMessage(const String &text)
{
    _messageText = text;
    _message.SetText(TextPair{text, text});
    _message.SetTooltipText(TextPair{text, text});
}

void PropertyTree::SaveAs()
{
    try {
        const String path = _askPath ? _askPath() : String();
        if (path.Empty())
            return;
        SavePropertyTreeCsv(path, _tree.Model().Lines());
        ShowMessage(String());
    } catch (const std::exception &e) {
        ShowMessage(String(e.what()));
    }
}

void PropertyTree::Close()
{
    // The GUI keeps this panel alive while the event that closes it runs;
    // without a window of its own its render objects would outlive the GUI.
    if (GUI::GUI *gui = GetGUI()) {
        DeleteContextObjects();
        gui->RemovePanel(*this);
    }
    _onClose(*this);
}

void PropertyTree::CloseClicked(GUI::Button &) { Close(); }

void PropertyTree::SaveClicked(GUI::Button &) { SaveAs(); }

void PropertyTree::HexadecimalClicked(GUI::CheckBox &box) { _tree.SetHexadecimal(box.GetState()); }

SharedPtr<PropertyTree> ShowHeaderTree(GUI::GUI &gui, const SharedPtr<IProperty> &root, const String &title,
                                       PropertyTree::AskPath askPath)
{
    // One tree window at a time: the one opened before closes.
    for (const SharedPtr<GUI::Panel> &panel : std::vector<SharedPtr<GUI::Panel>>(gui.Panels()))
        if (auto *tree = dynamic_cast<PropertyTree *>(panel.Get()))
            tree->Close();
    auto tree = MakeShared<PropertyTree>();
    tree->SetTitle(title, title);
    tree->SetRoot(root);
    tree->SetAskPath(std::move(askPath));
    GUI::Rect area{0, 0, kDefaultWidth, kDefaultHeight};
    if (const SharedPtr<GUI::Panel> &main = gui.GetRootPanel()) {
        tree->SetStyle(main->GetStyle());
        tree->SetScale(main->GetScale());
        // Beside the main window's left edge, inside it where it fits.
        const GUI::Rect m = main->GetRect();
        const std::int32_t w = std::min(tree->GUIUnit(kDefaultWidth), std::max(m.Width(), kDefaultWidth / 2));
        const std::int32_t h = std::min(tree->GUIUnit(kDefaultHeight), std::max(m.Height(), kDefaultHeight / 2));
        const std::int32_t x0 = m.x0 + tree->GUIUnit(kGapUnits * 4), y0 = m.y0 + tree->TitleHeight();
        area = {x0, y0, x0 + w, y0 + h};
    }
    tree->SetRect(area);
    gui.AddPanel(tree);
    tree->KeepInsideWorkArea();
    gui.SetActivePanel(tree.Get());
    tree->SetFocus(&tree->Tree());
    gui.RequestRepaint();
    return tree;
}

} // namespace Brintavolex
