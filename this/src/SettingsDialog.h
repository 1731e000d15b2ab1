#pragma once

// The settings dialog: one drop-down per setting, each bound both ways to
// PlanoscopeSettings. A choice sets its setting at once (the settings'
// notifications save and apply it); a setting changed elsewhere shows at
// the next frame.

#include "GUI/api/Label.h"
#include "GUI/api/Widgets.h"
#include "this/src/ModalDialog.h"
#include "this/src/Settings/PlanoscopeSettings.h"

#include <array>
#include <functional>
#include <vector>

namespace Brintavolex {

class SettingsDialog : public ModalDialog {
public:
    // The rows, top to bottom.
    enum class Row {
        Background,
        SamplingAbove100,
        SamplingAt100,
        SamplingBelow100,
        Renderer,
        Language,
        DeleteFile,
        Icon
    };
    static constexpr std::size_t kRowCount = 8;

    struct Callbacks {
        // Deleting was allowed or forbidden: the application's delete button follows.
        std::function<void(bool enabled)> onDeleteEnabledChanged;
        // The Explorer icon of associated files changed (thumbnail or default).
        std::function<void(bool thumbnail)> onThumbnailIconChanged;
        // Writes the settings file after a change of a setting that has no
        // notification of its own ("Delete file", "Icon").
        std::function<void()> save;
    };

    SettingsDialog(PlanoscopeSettings &settings, Callbacks callbacks);
    ~SettingsDialog() override;
    void SetCallbacks(Callbacks callbacks) { _callbacks = std::move(callbacks); }

    // Shows the settings' current values and names the entries in the
    // language in force; every frame does it first.
    void Refresh();
    GUI::DropDownList &List(Row row) noexcept { return _rows[std::size_t(row)].list; }
    GUI::Label &RowLabel(Row row) noexcept { return _rows[std::size_t(row)].label; }
    GUI::Button &CancelButton() noexcept { return _cancel; }

    DialogSize PreferredSize() const override;
    void Draw() override;

    // The background greys, darkest first; the one the settings start with
    // is among them.
    static const std::vector<float> &BackgroundGreys();

protected:
    void LayOut() override;

private:
    struct RowControls {
        GUI::Label label;
        GUI::DropDownList list;
        // The entries' texts; the background row's grow by the own colour.
        std::vector<TextPair> entries;
    };
    // The entry that shows the setting's value now.
    std::int32_t CurrentIndex(Row row) const;
    // Sets the row's setting to the value of entry index.
    void Choose(Row row, std::int32_t index);
    std::vector<TextPair> BackgroundEntries() const;
    // Widths of the label and list columns.
    std::int32_t LabelColumnWidth() const;
    std::int32_t ListColumnWidth() const;

    PlanoscopeSettings &_settings;
    Callbacks _callbacks;
    std::array<RowControls, kRowCount> _rows;
    GUI::Label _samplingHeading, _restartRemark;
    GUI::Button _cancel;
};

// Shows the settings dialog on gui for settings, or brings the one shown to
// the front with these callbacks.
SharedPtr<SettingsDialog> ShowSettingsDialog(GUI::GUI &gui, PlanoscopeSettings &settings,
                                             SettingsDialog::Callbacks callbacks);

} // namespace Brintavolex
