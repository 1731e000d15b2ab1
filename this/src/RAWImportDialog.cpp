#include "this/src/RAWImportDialog.h"

#include "Platform/api/Stream.h"
#include "this/src/Codecs.h"

#include <algorithm>
#include <array>
#include <limits>

namespace Brintavolex {

namespace {

// German first; words without German counterpart stand in both.
const TextPair kCaption{String("RAWDecoder"), String("RAWDecoder")};
const TextPair kDataTypeText{String("Datentyp"), String("Data Type")};
const TextPair kOffsetText{String("Offset"), String("Offset")};
const TextPair kXText{String("X"), String("X")};
const TextPair kYText{String("Y"), String("Y")};
const TextPair kZText{String("Z falls 3D"), String("Z if 3D")};
const TextPair kByteText{String("Byte"), String("Byte")};
const TextPair kPixelText{String("Pixel"), String("Pixel")};
const TextPair kVoxelText{String("Voxel"), String("Voxel")};
const TextPair kApplyText{String("Apply"), String("Apply")};
const TextPair kCloseText{String(u"Schlie\u00DFen [ESC]"), String("Close [ESC]")};

// The list's entries and their colour type codes: the common ones first.
struct TypeChoice {
    const char *name;
    std::uint8_t code;
};
constexpr std::array<TypeChoice, 10> kTypes{{{"SInt8", 7},
                                             {"UInt8", 8},
                                             {"SInt16", 15},
                                             {"UInt16", 16},
                                             {"Float32", 23},
                                             {"Float64", 52},
                                             {"SInt32", 31},
                                             {"UInt32", 32},
                                             {"SInt64", 63},
                                             {"UInt64", 64}}};
constexpr std::uint8_t kUInt8 = 8;
constexpr std::uint32_t kKeyReturn = 13;
constexpr std::uint8_t kNoType = 255;

// Extents fit 32 bits (10 digits), offsets 64 bits (19 digits); longer
// input could mean nothing.
constexpr std::size_t kExtentDigits = 10;
constexpr std::size_t kOffsetDigits = 19;

// Sizes in style units.
constexpr double kGapUnits = 4.0;
constexpr double kLabelWidthUnits = 80.0;
constexpr double kFieldWidthUnits = 170.0;
constexpr double kUnitWidthUnits = 44.0;
constexpr double kCloseWidthUnits = 100.0;
constexpr double kApplyWidthUnits = 90.0;
constexpr std::int32_t kDefaultWidth = 520, kDefaultHeight = 220;

// Digits only (the box admits nothing else); false when the value does not
// fit 63 bits. Empty reads as 0.
bool ParseDecimal(const String &text, std::int64_t &value)
{
    value = 0;
    for (const char16_t unit : text.ToU16String()) {
        const int digit = unit - u'0';
        if (digit < 0 || digit > 9 || value > (std::numeric_limits<std::int64_t>::max() - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    return true;
}

} // namespace

bool DigitEditBox::OnCharacter(std::uint32_t character)
{
    // Other printable characters are swallowed, control characters pass on.
    if (IsEditing() && character >= 32 && (character < '0' || character > '9'))
        return true;
    return EditBox::OnCharacter(character);
}

RAWImportDialog::RAWImportDialog(SharedPtr<RAWDecoderSettings> settings)
    : _settings(std::move(settings)), _typeLabel(kDataTypeText), _offsetLabel(kOffsetText), _xLabel(kXText),
      _yLabel(kYText), _zLabel(kZText), _offsetUnit(kByteText), _xUnit(kPixelText), _yUnit(kPixelText),
      _zUnit(kVoxelText), _offset(kOffsetDigits), _x(kExtentDigits), _y(kExtentDigits), _z(kExtentDigits),
      _apply(kApplyText), _close(kCloseText)
{
    SetEnabled(true);
    SetTitle(kCaption[0], kCaption[1]);
    for (GUI::Control *child : std::initializer_list<GUI::Control *>{
             &_typeLabel, &_type, &_offsetLabel, &_offset, &_offsetUnit, &_xLabel, &_x, &_xUnit, &_yLabel, &_y,
             &_yUnit, &_zLabel, &_z, &_zUnit, &_apply, &_message, &_close}) {
        child->SetEnabled(true);
        Add(*child);
    }
    std::vector<String> names;
    for (const TypeChoice &choice : kTypes)
        names.emplace_back(choice.name);
    _type.SetEntries(std::move(names));
    for (DigitEditBox *box : {&_offset, &_x, &_y, &_z})
        box->OnChange().Reset(&RAWImportDialog::FieldChanged, this);
    _apply.OnClick().Reset(&RAWImportDialog::ApplyClicked, this);
    _close.OnClick().Reset(&RAWImportDialog::CloseClicked, this);
    Function2<void()> close;
    close.Reset(&RAWImportDialog::Close, this);
    SetCloseAction(close);
    FieldChanged(_z);
    LayOut();
}

RAWImportDialog::~RAWImportDialog() { Clear(); }

void RAWImportDialog::SelectType(std::uint8_t type)
{
    const auto found =
        std::find_if(kTypes.begin(), kTypes.end(), [type](const TypeChoice &c) { return c.code == type; });
    _type.SetSelectedIndex(found == kTypes.end() ? -1 : std::int32_t(found - kTypes.begin()));
}

void RAWImportDialog::SetFile(const String &path, std::uint64_t fileSize, const std::optional<RAWEntry> &entry)
{
    _path = path;
    const RAWEntry shown = entry ? *entry : RAWEntry{0, 1, 0, 0, kUInt8};
    // One row of bytes describes every file; the user narrows it down.
    _x.SetText(entry ? String::FromInteger(shown.x) : String::FromUnsigned(fileSize));
    _y.SetText(String::FromInteger(shown.y));
    _z.SetText(shown.z == 0 ? String() : String::FromInteger(shown.z));
    _offset.SetText(String::FromInteger(shown.offset));
    SelectType(shown.type);
    ShowMessage(String());
    FieldChanged(_z);
}

void RAWImportDialog::FieldChanged(GUI::EditBox &)
{
    std::int64_t z = 0;
    const bool volume = !ParseDecimal(_z.GetText(), z) || z != 0;
    _xUnit.SetText(volume ? kVoxelText : kPixelText);
    _yUnit.SetText(volume ? kVoxelText : kPixelText);
    _apply.SetEnabled(!_x.GetText().Empty() && !_y.GetText().Empty());
    RequestRepaint();
}

void RAWImportDialog::ShowMessage(const String &text)
{
    _messageText = text;
    _message.SetText(TextPair{text, text});
    _message.SetTooltipText(TextPair{text, text});
    RequestRepaint();
}

bool RAWImportDialog::Apply()
{
    try {
        std::int64_t x = 0, y = 0, z = 0, offset = 0;
        if (_x.GetText().Empty() || _y.GetText().Empty())
            throw Exception("X and Y are needed");
        if (!ParseDecimal(_x.GetText(), x) || !ParseDecimal(_y.GetText(), y) || !ParseDecimal(_z.GetText(), z))
            throw Exception("X, Y and Z must be whole numbers from 0 to 2147483647");
        if (!ParseDecimal(_offset.GetText(), offset))
            throw Exception("Offset must be a whole number from 0 to 9223372036854775807");
        const std::int32_t index = _type.GetSelectedIndex();
        const std::int64_t type =
            index >= 0 && index < std::int32_t(kTypes.size()) ? kTypes[std::size_t(index)].code : kNoType;
        // The size now, not the one the file had when it was opened.
        const std::uint64_t fileSize = FileStream(_path).size();
        const RAWEntryCheck check = CheckRAWEntry(x, y, z, offset, type, fileSize);
        if (!check.accepted)
            throw Exception(check.message);
        _settings->FactoryFor(RAWExtensionOf(_path))->SetEntry(fileSize, check.entry);
    } catch (const std::exception &e) {
        ShowMessage(String(e.what()));
        return false;
    }
    ShowMessage(String());
    try {
        if (_callbacks.save)
            _callbacks.save();
        if (_callbacks.reload)
            _callbacks.reload(_path);
    } catch (const std::exception &e) {
        // The entry is kept; only saving or reopening failed.
        ShowMessage(String(e.what()));
    }
    return true;
}

void RAWImportDialog::Close()
{
    // As the header tree: the render objects go before the window does.
    if (GUI::GUI *gui = GetGUI()) {
        DeleteContextObjects();
        gui->RemovePanel(*this);
    }
}

bool RAWImportDialog::OnKeyDown(std::uint32_t key, std::int64_t flags)
{
    // An edit box in edit mode takes Return itself to end editing.
    if (PanelWithTransparentTitle::OnKeyDown(key, flags))
        return true;
    if (key != kKeyReturn || !_apply.IsEnabled())
        return false;
    Apply();
    return true;
}

void RAWImportDialog::ApplyClicked(GUI::Button &) { Apply(); }

void RAWImportDialog::CloseClicked(GUI::Button &) { Close(); }

void RAWImportDialog::OnScaleChanged()
{
    PanelWithTransparentTitle::OnScaleChanged();
    LayOut();
}

void RAWImportDialog::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    const GUI::Rect before = GetRect();
    PanelWithTransparentTitle::SetRect(x0, y0, x1, y1);
    if (before.Width() != x1 - x0 || before.Height() != y1 - y0)
        LayOut();
}

void RAWImportDialog::LayOut()
{
    const std::int32_t w = GetRect().Width(), h = GetRect().Height();
    const std::int32_t title = std::min(TitleHeight(), h), gap = GUIUnit(kGapUnits);
    const std::int32_t rowHeight = GUIUnit(GetStyle() ? GetStyle()->controlHeight : 22.0);
    _close.SetRect(std::max(0, w - GUIUnit(kCloseWidthUnits)), 0, w, title);
    const std::int32_t labelX1 = std::min(w, gap + GUIUnit(kLabelWidthUnits));
    const std::int32_t fieldX1 = std::min(w, labelX1 + gap + GUIUnit(kFieldWidthUnits));
    const std::int32_t unitX1 = std::min(w, fieldX1 + gap + GUIUnit(kUnitWidthUnits));
    std::int32_t y = title + gap;
    auto row = [&](GUI::Label &label, GUI::Control &field, GUI::Label *unit) {
        const std::int32_t y0 = std::min(h, y), y1 = std::min(h, y + rowHeight);
        label.SetRect(gap, y0, labelX1, y1);
        field.SetRect(std::min(w, labelX1 + gap), y0, fieldX1, y1);
        if (unit)
            unit->SetRect(std::min(w, fieldX1 + gap), y0, unitX1, y1);
        y += rowHeight + gap;
    };
    row(_typeLabel, _type, nullptr);
    row(_offsetLabel, _offset, &_offsetUnit);
    row(_xLabel, _x, &_xUnit);
    row(_yLabel, _y, &_yUnit);
    row(_zLabel, _z, &_zUnit);
    const std::int32_t applyX0 = std::min(w, labelX1 + gap);
    _apply.SetRect(applyX0, std::min(h, y), std::min(w, applyX0 + GUIUnit(kApplyWidthUnits)),
                   std::min(h, y + rowHeight));
    y += rowHeight + gap;
    // Cut at the window's edge; the whole text shows as its tooltip.
    _message.SetRect(gap, std::min(h, y), std::max(gap, w - gap), std::min(h, y + rowHeight));
}

void RAWImportDialog::Draw()
{
    PanelWithTransparentTitle::Draw();
    // The title line is drawn over the content: the close button goes on top.
    if (_close.IsVisible())
        _close.Draw();
}

std::optional<RAWEntry> RAWEntryOf(const SharedPtr<IDecoder> &decoder)
{
    if (const auto *flat = dynamic_cast<const RAW2DDecoder *>(decoder.Get()))
        return flat->Entry();
    if (const auto *volume = dynamic_cast<const RAW3DDecoder *>(decoder.Get()))
        return volume->Entry();
    return std::nullopt;
}

SharedPtr<RAWImportDialog> ShowRAWImportDialog(GUI::GUI &gui, const String &path, std::uint64_t fileSize,
                                               const std::optional<RAWEntry> &entry,
                                               RAWImportDialog::Callbacks callbacks,
                                               SharedPtr<RAWDecoderSettings> settings)
{
    // One dialog: the open one takes the new file (and keeps its tables).
    for (const SharedPtr<GUI::Panel> &panel : gui.Panels())
        if (auto *open = dynamic_cast<RAWImportDialog *>(panel.Get())) {
            SharedPtr<RAWImportDialog> dialog = open->SharedFromThis<RAWImportDialog>();
            dialog->SetCallbacks(std::move(callbacks));
            dialog->SetFile(path, fileSize, entry);
            return dialog;
        }
    auto dialog = MakeShared<RAWImportDialog>(std::move(settings));
    dialog->SetCallbacks(std::move(callbacks));
    dialog->SetFile(path, fileSize, entry);
    GUI::Rect area{0, 0, kDefaultWidth, kDefaultHeight};
    if (const SharedPtr<GUI::Panel> &main = gui.GetRootPanel()) {
        dialog->SetStyle(main->GetStyle());
        dialog->SetScale(main->GetScale());
        // Inside the main window's top right corner, clear of the header tree
        // on the left.
        const GUI::Rect m = main->GetRect();
        const std::int32_t w = dialog->GUIUnit(kDefaultWidth), h = dialog->GUIUnit(kDefaultHeight);
        const std::int32_t x1 = m.x1 - dialog->GUIUnit(kGapUnits * 4), y0 = m.y0 + dialog->TitleHeight();
        area = {std::max(m.x0, x1 - w), y0, std::max(m.x0, x1 - w) + w, y0 + h};
    }
    dialog->SetRect(area);
    gui.AddPanel(dialog);
    dialog->KeepInsideWorkArea();
    gui.SetActivePanel(dialog.Get());
    dialog->SetFocus(&dialog->XBox());
    gui.RequestRepaint();
    return dialog;
}

SharedPtr<RAWImportDialog> ShowRAWImportDialog(GUI::GUI &gui, const String &path, std::uint64_t fileSize,
                                               const std::optional<RAWEntry> &entry,
                                               RAWImportDialog::Callbacks callbacks)
{
    return ShowRAWImportDialog(gui, path, fileSize, entry, std::move(callbacks), ApplicationRAWDecoderSettings());
}

void HideRAWImportDialog(GUI::GUI &gui)
{
    for (const SharedPtr<GUI::Panel> &panel : std::vector<SharedPtr<GUI::Panel>>(gui.Panels()))
        if (auto *dialog = dynamic_cast<RAWImportDialog *>(panel.Get()))
            dialog->Close();
}

} // namespace Brintavolex
