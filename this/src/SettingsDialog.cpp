#include "this/src/SettingsDialog.h"

#include "Platform/api/CommandTexts.h"
#include "Platform/api/ErrorLog.h"
#include "this/src/DialogTexts.h"

#include <algorithm>
#include <cmath>

namespace Brintavolex {

namespace {

namespace T = DialogTexts;
using Mode = Resampling::EnumResamplingMode;
using Renderer = Platform::Video::RendererTypeEnum;
using Language = Locale::EnumLanguage;
using Row = SettingsDialog::Row;

// The entries of each list and the values they stand for, in list order.
constexpr std::array<Mode, 6> kModes{Mode::Nearest, Mode::Linear,         Mode::Cubic,
                                     Mode::Area,    Mode::MipMapBilinear, Mode::MipMapTrilinear};
const std::array<const TextPair *, 6> kModeTexts{&Texts::NearestNeighbor, &Texts::Linear,
                                                 &Texts::Cubic,           &Texts::AreaSampling,
                                                 &Texts::MipMapBilinear,  &Texts::MipMapTrilinear};
constexpr std::array<Renderer, 3> kRenderers{Renderer::OpenGL, Renderer::Direct3D9, Renderer::Software};
const std::array<TextPair, 3> kRendererTexts{{{String("OpenGL"), String("OpenGL")},
                                              {String("Direct3D9"), String("Direct3D9")},
                                              {String("Software"), String("Software")}}};
constexpr std::array<Language, 3> kLanguages{Language::Auto, Language::German, Language::English};

// A list entry is a grey when every channel lies within half a step of 8 bits.
constexpr float kGreyTolerance = 0.5f / 255.0f;
constexpr float kChannelSteps = 255.0f;
// The background greys in steps of 255.
constexpr std::array<int, 6> kGreySteps{0, 32, 63, 128, 192, 255};
const std::array<const TextPair *, 6> kGreyTexts{&T::Black,      &T::DarkGrey,  &T::DefaultGrey,
                                                 &T::MediumGrey, &T::LightGrey, &T::White};

// Space between the label and list columns and before the remark, in units.
constexpr double kColumnGapUnits = 10.0;
// The sampling rows stand indented below their heading.
constexpr double kIndentUnits = 12.0;

std::int32_t Lookup(const auto &values, const auto &value)
{
    const auto found = std::find(values.begin(), values.end(), value);
    return found == values.end() ? -1 : std::int32_t(found - values.begin());
}

PropertyWithNotification<Mode> &SamplingOf(PlanoscopeSettings &settings, Row row)
{
    PlanoscopeControlListSettings &viewer = settings.viewer2D;
    return row == Row::SamplingAbove100 ? viewer.interpolationG100
           : row == Row::SamplingAt100  ? viewer.interpolationE100
                                        : viewer.interpolationL100;
}

String Channels(const Data::ColorBGRA<float> &c)
{
    auto step = [](float v) { return String::FromInteger(std::lround(std::clamp(v, 0.0f, 1.0f) * kChannelSteps)); };
    return StringExpr(" (") + step(c.r) + ", " + step(c.g) + ", " + step(c.b) + ")";
}

} // namespace

const std::vector<float> &SettingsDialog::BackgroundGreys()
{
    static const std::vector<float> greys = [] {
        std::vector<float> values;
        for (int step : kGreySteps)
            values.push_back(float(step) / kChannelSteps);
        return values;
    }();
    return greys;
}

SettingsDialog::SettingsDialog(PlanoscopeSettings &settings, Callbacks callbacks)
    : ModalDialog(T::SettingsTitle, T::CloseCancel), _settings(settings), _callbacks(std::move(callbacks)),
      _samplingHeading(T::SamplingByZoom), _restartRemark(T::RequiresRestart), _cancel(T::Cancel)
{
    const std::array<const TextPair *, kRowCount> labels{&T::Background, &T::Above100, &T::At100,      &T::Below100,
                                                         &T::Renderer,   &T::Language, &T::DeleteFile, &T::Icon};
    std::vector<TextPair> modes;
    for (const TextPair *text : kModeTexts)
        modes.push_back(*text);
    _rows[std::size_t(Row::SamplingAbove100)].entries = modes;
    _rows[std::size_t(Row::SamplingAt100)].entries = modes;
    _rows[std::size_t(Row::SamplingBelow100)].entries = modes;
    _rows[std::size_t(Row::Renderer)].entries.assign(kRendererTexts.begin(), kRendererTexts.end());
    _rows[std::size_t(Row::Language)].entries = {T::LanguageAuto, T::LanguageGerman, T::LanguageEnglish};
    _rows[std::size_t(Row::DeleteFile)].entries = {T::DeleteNo, T::DeleteYes};
    _rows[std::size_t(Row::Icon)].entries = {T::IconDefault, T::IconThumbnail};
    AddControls({&_rows[0].label, &_rows[0].list, &_samplingHeading});
    for (std::size_t i = 0; i < kRowCount; ++i) {
        RowControls &row = _rows[i];
        row.label.SetText(*labels[i]);
        if (i > 0)
            AddControls({&row.label, &row.list});
        if (Row(i) == Row::Renderer)
            AddControls({&_restartRemark});
        row.list.OnChange().ResetCallable(
            [this, i](GUI::DropDownList &list) { Choose(Row(i), list.GetSelectedIndex()); });
    }
    AddControls({&_cancel});
    _cancel.OnClick().ResetCallable([this](GUI::Button &) { Close(); });
    Refresh();
}

SettingsDialog::~SettingsDialog() { Clear(); }

std::vector<TextPair> SettingsDialog::BackgroundEntries() const
{
    std::vector<TextPair> entries;
    for (const TextPair *text : kGreyTexts)
        entries.push_back(*text);
    if (CurrentIndex(Row::Background) == std::int32_t(entries.size())) {
        const String channels = Channels(_settings.backgroundColor.Get());
        entries.push_back(TextPair{T::OwnColour[0] + channels, T::OwnColour[1] + channels});
    }
    return entries;
}

std::int32_t SettingsDialog::CurrentIndex(Row row) const
{
    PlanoscopeSettings &s = _settings;
    switch (row) {
    case Row::Background: {
        const Data::ColorBGRA<float> c = s.backgroundColor.Get();
        const std::vector<float> &greys = BackgroundGreys();
        for (std::size_t i = 0; i < greys.size(); ++i)
            if (std::fabs(c.r - greys[i]) <= kGreyTolerance && std::fabs(c.g - greys[i]) <= kGreyTolerance &&
                std::fabs(c.b - greys[i]) <= kGreyTolerance && std::fabs(c.a - 1.0f) <= kGreyTolerance)
                return std::int32_t(i);
        return std::int32_t(greys.size());
    }
    case Row::SamplingAbove100:
    case Row::SamplingAt100:
    case Row::SamplingBelow100: return Lookup(kModes, SamplingOf(s, row).Get());
    case Row::Renderer: return Lookup(kRenderers, s.renderer.Get());
    case Row::Language: return Lookup(kLanguages, s.language.Get());
    case Row::DeleteFile: return s.enableFileDelete.Get() ? 1 : 0;
    case Row::Icon: return s.thumbnailIcon.Get() ? 1 : 0;
    }
    return -1;
}

void SettingsDialog::Choose(Row row, std::int32_t index)
{
    // A setting that cannot be saved or applied must not end the program:
    // the log keeps why.
    try {
        PlanoscopeSettings &s = _settings;
        const std::size_t i = std::size_t(index);
        switch (row) {
        case Row::Background:
            if (i < BackgroundGreys().size()) {
                const float g = BackgroundGreys()[i];
                s.backgroundColor.Set(Data::ColorBGRA<float>{g, g, g, 1.0f});
            }
            break;
        case Row::SamplingAbove100:
        case Row::SamplingAt100:
        case Row::SamplingBelow100:
            if (i < kModes.size())
                SamplingOf(s, row).Set(kModes[i]);
            break;
        case Row::Renderer:
            if (i < kRenderers.size())
                s.renderer.Set(kRenderers[i]);
            break;
        case Row::Language:
            if (i < kLanguages.size())
                s.language.Set(kLanguages[i]);
            break;
        case Row::DeleteFile:
            s.enableFileDelete.Set(index == 1);
            if (_callbacks.save)
                _callbacks.save();
            if (_callbacks.onDeleteEnabledChanged)
                _callbacks.onDeleteEnabledChanged(index == 1);
            break;
        case Row::Icon:
            s.thumbnailIcon.Set(index == 1);
            if (_callbacks.save)
                _callbacks.save();
            if (_callbacks.onThumbnailIconChanged)
                _callbacks.onThumbnailIconChanged(index == 1);
            break;
        }
    } catch (const std::exception &e) {
        BRINTAVOLEX_LOG(StringExpr("SettingsDialog::Choose: ") + e.what());
    }
    Refresh();
    RequestRepaint();
}

void SettingsDialog::Refresh()
{
    _rows[std::size_t(Row::Background)].entries = BackgroundEntries();
    for (std::size_t i = 0; i < kRowCount; ++i) {
        RowControls &row = _rows[i];
        std::vector<String> names;
        for (const TextPair &entry : row.entries)
            names.push_back(Locale::Pick(entry));
        // An open list keeps its rows while the user chooses.
        if (!row.list.IsOpen() && names != row.list.GetEntries())
            row.list.SetEntries(std::move(names));
        const std::int32_t current = CurrentIndex(Row(i));
        if (current != row.list.GetSelectedIndex())
            row.list.SetSelectedIndex(current);
    }
}

void SettingsDialog::Draw()
{
    Refresh();
    ModalDialog::Draw();
}

std::int32_t SettingsDialog::LabelColumnWidth() const
{
    std::int32_t width = 0;
    for (const RowControls &row : _rows)
        width = std::max(width, TextWidth(row.label.GetText()));
    return width + 2 * GUIUnit(GetStyle()->padding) + GUIUnit(kIndentUnits);
}

std::int32_t SettingsDialog::ListColumnWidth() const
{
    std::int32_t width = 0;
    for (const RowControls &row : _rows)
        for (const TextPair &entry : row.entries)
            width = std::max(width, ButtonWidth(entry));
    // The own colour may appear later: room for its widest form.
    const String widest = Channels(Data::ColorBGRA<float>{1, 1, 1, 1});
    return std::max(width, ButtonWidth(TextPair{T::OwnColour[0] + widest, T::OwnColour[1] + widest}));
}

DialogSize SettingsDialog::PreferredSize() const
{
    const std::int32_t gap = Gap(), rowHeight = RowHeight();
    const std::int32_t columns = gap + LabelColumnWidth() + GUIUnit(kColumnGapUnits) + ListColumnWidth() +
                                 GUIUnit(kColumnGapUnits) + ButtonWidth(_restartRemark.GetText()) + gap;
    const std::int32_t heading = 2 * gap + ButtonWidth(_samplingHeading.GetText());
    const std::int32_t width = std::max({columns, heading, TitleLineWidth()});
    // The rows, the heading and the button row.
    const std::int32_t rows = std::int32_t(kRowCount) + 2;
    return {width, TitleHeight() + gap + rows * (rowHeight + gap) + gap};
}

void SettingsDialog::LayOut()
{
    const std::int32_t gap = Gap(), rowHeight = RowHeight(), columnGap = GUIUnit(kColumnGapUnits);
    const std::int32_t w = GetRect().Width();
    const std::int32_t labelX1 = gap + LabelColumnWidth();
    const std::int32_t listX0 = labelX1 + columnGap, listX1 = listX0 + ListColumnWidth();
    std::int32_t y = TitleHeight() + gap;
    auto place = [&](GUI::Control &control, std::int32_t x0, std::int32_t x1) {
        control.SetRect(std::min(x0, w), y, std::min(x1, w), y + rowHeight);
    };
    for (std::size_t i = 0; i < kRowCount; ++i) {
        const Row row = Row(i);
        if (row == Row::SamplingAbove100) {
            place(_samplingHeading, gap, w - gap);
            y += rowHeight + gap;
        }
        const bool sampling = row == Row::SamplingAbove100 || row == Row::SamplingAt100 || row == Row::SamplingBelow100;
        place(_rows[i].label, gap + (sampling ? GUIUnit(kIndentUnits) : 0), labelX1);
        place(_rows[i].list, listX0, listX1);
        if (row == Row::Renderer)
            place(_restartRemark, listX1 + columnGap, w - gap);
        y += rowHeight + gap;
    }
    y += gap;
    place(_cancel, w - gap - ButtonWidth(_cancel.GetCaption()), w - gap);
}

SharedPtr<SettingsDialog> ShowSettingsDialog(GUI::GUI &gui, PlanoscopeSettings &settings,
                                             SettingsDialog::Callbacks callbacks)
{
    SharedPtr<SettingsDialog> dialog = ShownDialog<SettingsDialog>(gui);
    if (dialog)
        dialog->SetCallbacks(std::move(callbacks));
    else
        dialog = MakeShared<SettingsDialog>(settings, std::move(callbacks));
    ShowModal(gui, dialog);
    return dialog;
}

} // namespace Brintavolex
