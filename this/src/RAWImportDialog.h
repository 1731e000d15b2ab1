#pragma once

// The window in which the user describes a headerless file: X, Y, Z, the
// offset of the first sample and the data type. Apply keeps the values for
// files of this extension and size, saves the settings and opens the file
// again with them.

#include "GUI/api/Button.h"
#include "GUI/api/GUI.h"
#include "GUI/api/Label.h"
#include "GUI/api/Panel.h"
#include "GUI/api/Widgets.h"
#include "RAW/api/RAWDecoderFactory.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace Brintavolex {

// An edit box that takes decimal digits only, at most maxDigits of them.
class DigitEditBox : public GUI::EditBox {
public:
    explicit DigitEditBox(std::size_t maxDigits) { SetMaxLength(maxDigits); }
    bool OnCharacter(std::uint32_t character) override;
};

class RAWImportDialog : public GUI::PanelWithTransparentTitle {
public:
    struct Callbacks {
        // Writes the settings file after an entry was kept.
        std::function<void()> save;
        // Opens path again, now with the kept entry.
        std::function<void(const String &path)> reload;
    };

    explicit RAWImportDialog(SharedPtr<RAWDecoderSettings> settings);
    ~RAWImportDialog() override;

    // Shows the values of entry, or without one a guess that opens any file:
    // one row of fileSize bytes.
    void SetFile(const String &path, std::uint64_t fileSize, const std::optional<RAWEntry> &entry);
    void SetCallbacks(Callbacks callbacks) { _callbacks = std::move(callbacks); }
    const String &Path() const noexcept { return _path; }

    // Checks the values against the file's size now; a refusal is shown in
    // the window and changes nothing. True when the entry was kept.
    bool Apply();
    // Leaves the GUI (the window closes).
    void Close();

    GUI::EditBox &XBox() noexcept { return _x; }
    GUI::EditBox &YBox() noexcept { return _y; }
    GUI::EditBox &ZBox() noexcept { return _z; }
    GUI::EditBox &OffsetBox() noexcept { return _offset; }
    GUI::DropDownList &TypeList() noexcept { return _type; }
    GUI::Button &ApplyButton() noexcept { return _apply; }
    GUI::Button &CloseButton() noexcept { return _close; }
    // "Pixel" or "Voxel" as the unit of X and Y.
    const TextPair &ExtentUnit() const { return _xUnit.GetText(); }
    // Why the last Apply was refused; empty after one that was kept.
    const String &Message() const noexcept { return _messageText; }

    void Draw() override;
    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;
    void OnScaleChanged() override;
    // Return outside an edit box applies, as a click on Apply would.
    bool OnKeyDown(std::uint32_t key, std::int64_t flags) override;

private:
    void LayOut();
    void FieldChanged(GUI::EditBox &);
    void ApplyClicked(GUI::Button &);
    void CloseClicked(GUI::Button &);
    void ShowMessage(const String &text);
    void SelectType(std::uint8_t type);

    SharedPtr<RAWDecoderSettings> _settings;
    Callbacks _callbacks;
    String _path;
    GUI::Label _typeLabel, _offsetLabel, _xLabel, _yLabel, _zLabel;
    GUI::Label _offsetUnit, _xUnit, _yUnit, _zUnit;
    GUI::DropDownList _type;
    DigitEditBox _offset, _x, _y, _z;
    GUI::Button _apply;
    GUI::Button _close;
    GUI::LabelWithTooltip _message;
    String _messageText;
};

// The entry a RAW decoder reads with; none for other decoders.
std::optional<RAWEntry> RAWEntryOf(const SharedPtr<IDecoder> &decoder);

// Shows the dialog for path in a window of its own on gui (owned by the main
// window): the one already open takes the new file, else one is created.
// entry: the RAW decoder's current one, none for a file no decoder claims.
SharedPtr<RAWImportDialog> ShowRAWImportDialog(GUI::GUI &gui, const String &path, std::uint64_t fileSize,
                                               const std::optional<RAWEntry> &entry,
                                               RAWImportDialog::Callbacks callbacks,
                                               SharedPtr<RAWDecoderSettings> settings);
// With the application's size tables.
SharedPtr<RAWImportDialog> ShowRAWImportDialog(GUI::GUI &gui, const String &path, std::uint64_t fileSize,
                                               const std::optional<RAWEntry> &entry,
                                               RAWImportDialog::Callbacks callbacks);
// Closes the dialog on gui if one is open (a file of another decoder opened).
void HideRAWImportDialog(GUI::GUI &gui);

} // namespace Brintavolex
