#include "PlixForm.h"

#include "kit/Dialogs.h"
#include "kit/FormFiles.h"
#include "kit/Messages.h"
#include "kit/Operation.h"
#include "link/IdSearch.h"
#include "link/ModbusLink.h"
#include "resources/Artwork.h"
#include "values/SafeFile.h"

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace tarnixw::plix {

using kit::Control;
using UiKind = kit::Kind;
using kit::kGreen;

namespace {

// One channel panel. The CH1 panel repeats the CH0 layout with its own names; only
// CH1HighAlarm is narrower (65) than its CH0 twin (73).
std::vector<Control> channelPanel(int ch)
{
    const bool one = ch == 1;
    auto n = [&](const char* zero, const char* oneName) { return one ? oneName : zero; };
    return {
        {UiKind::Group, n("GroupBox1", "GroupBox5"), nullptr, {one ? 400 : 88, 96, 297, 353}, {}},
        {UiKind::Group, n("GroupBox2", "GroupBox6"), n("GroupBox1", "GroupBox5"), {8, 56, 281, 105}, "Sensor Range", 8,
            true},
        {UiKind::Label, n("Label8", "Label12"), n("GroupBox2", "GroupBox6"), {8, 32, 0, 0}, "From (mV):"},
        {UiKind::Label, n("Label9", "Label13"), n("GroupBox2", "GroupBox6"), {152, 32, 0, 0}, "To(mV):"},
        {UiKind::Label, n("Label10", "Label14"), n("GroupBox2", "GroupBox6"), {8, 72, 0, 0}, "P.V. From:"},
        {UiKind::Label, n("Label11", "Label15"), n("GroupBox2", "GroupBox6"), {152, 72, 0, 0}, "P.V. To:"},
        {UiKind::Edit, n("CH0SensorFrom", "CH1SensorFrom"), n("GroupBox2", "GroupBox6"), {64, 28, 65, 21}, "1000", 8,
            false, kGreen},
        {UiKind::Edit, n("CH0SensorTo", "CH1SensorTo"), n("GroupBox2", "GroupBox6"), {200, 28, 73, 21}, "5000", 8,
            false, kGreen},
        {UiKind::Edit, n("CH0PvFrom", "CH1PvFrom"), n("GroupBox2", "GroupBox6"), {64, 68, 65, 21}, "0.000", 8, false,
            kGreen},
        {UiKind::Edit, n("CH0PvTo", "CH1PvTo"), n("GroupBox2", "GroupBox6"), {200, 68, 73, 21}, "100.000", 8, false,
            kGreen},
        {UiKind::Group, n("GroupBox3", "GroupBox7"), n("GroupBox1", "GroupBox5"), {8, 168, 281, 57}, "Alarm Range", 8,
            true},
        {UiKind::Label, n("Label6", "Label16"), n("GroupBox3", "GroupBox7"), {32, 24, 0, 0}, "Low:"},
        {UiKind::Label, n("Label7", "Label17"), n("GroupBox3", "GroupBox7"), {168, 24, 0, 0}, "High:"},
        {UiKind::Edit, n("CH0HighAlarm", "CH1HighAlarm"), n("GroupBox3", "GroupBox7"), {200, 20, one ? 65 : 73, 21},
            "60.000", 8, false, kGreen},
        {UiKind::Group, n("GroupBox4", "GroupBox8"), n("GroupBox1", "GroupBox5"), {8, 232, 281, 113}, "Others", 8,
            true},
        {UiKind::Label, n("Label3", "Label18"), n("GroupBox4", "GroupBox8"), {8, 20, 0, 0}, "Silence Time (min.) :"},
        {UiKind::Label, n("Label4", "Label19"), n("GroupBox4", "GroupBox8"), {32, 50, 0, 0}, "Decimal Digits :"},
        {UiKind::Label, n("Label5", "Label20"), n("GroupBox4", "GroupBox8"), {40, 80, 0, 0}, "Hystersis (%) :"},
        {UiKind::Edit, n("CH0SilenceTime", "CH1SilenceTime"), n("GroupBox4", "GroupBox8"), {112, 16, 73, 21}, "30", 8,
            false, kGreen},
        {UiKind::Edit, n("CH0DecimalDigits", "CH1DecimalDigits"), n("GroupBox4", "GroupBox8"), {112, 46, 73, 21}, "1",
            8, false, kGreen},
        {UiKind::Edit, n("CH0Hystersis", "CH1Hystersis"), n("GroupBox4", "GroupBox8"), {112, 76, 73, 21}, "0.5", 8,
            false, kGreen},
        // The low alarm box belongs to the window, not to its "Alarm Range" box; it stands
        // inside that box, right of "Low:".
        {UiKind::Edit, n("CH0LowAlarm", "CH1LowAlarm"), nullptr, {one ? 472 : 160, 284, 65, 21}, "40.000", 8, false,
            kGreen},
    };
}

} // namespace

TFormPLIX::TFormPLIX(kit::Session& session, std::function<void()> showMain, QWidget* parent)
    : ModelForm(session, QStringLiteral("PLIX"), std::move(showMain), parent)
{
    buildFrame();
}

TFormPLIX::~TFormPLIX() = default;

void TFormPLIX::buildFrame()
{
    std::vector<Control> table = channelPanel(0);
    const std::vector<Control> ch1 = channelPanel(1);
    table.insert(table.end(), ch1.begin(), ch1.end());
    const std::vector<Control> rest = {
        {UiKind::Group, "GroupBox13", nullptr, {52, 32, 329, 57}, "COM Parameter", 8, true},
        {UiKind::Label, "Label32", "GroupBox13", {4, 24, 0, 0}, "COM :"},
        {UiKind::Combo, "rdCOM", "GroupBox13", {36, 20, 81, 21}, "1|2|3|4|5|6|7|8|9|10|11|12|13|14|15"},
        {UiKind::Label, "Label30", "GroupBox13", {120, 24, 0, 0}, "ID :"},
        {UiKind::Edit, "ModbusID", "GroupBox13", {144, 20, 33, 21}, "1"},
        {UiKind::Label, "Label31", "GroupBox13", {184, 24, 0, 0}, "Baud Rate :"},
        {UiKind::Combo, "BaudRate", "GroupBox13", {248, 20, 73, 21}, "9600|19200|38400|115200", 8, false, {}, {}, false,
            1},
        {UiKind::Progress, "ProgressBar1", nullptr, {88, 456, 609, 25}, {}},
        {UiKind::Button, "IDSearch", nullptr, {392, 37, 173, 51}, "ID Search", 12, true, {}, artwork::idSearch(), true},
        {UiKind::Button, "CH0", nullptr, {97, 112, 279, 33}, "CH0 Enable", 8, true, {}, {}, true},
        {UiKind::Button, "CH1", nullptr, {408, 112, 279, 33}, "CH1 Enable", 8, true, {}, {}, true},
        {UiKind::Button, "Read", nullptr, {88, 496, 115, 40}, "Read", 12, true, {}, artwork::read()},
        {UiKind::Button, "Write", nullptr, {216, 496, 115, 40}, "Write", 12, true, {}, artwork::write()},
        {UiKind::Button, "OpenFile", nullptr, {344, 496, 115, 40}, "Open File", 12, true, {}, artwork::openFile()},
        {UiKind::Button, "SaveFlie", nullptr, {472, 496, 115, 40}, "Save Flie", 12, true, {}, artwork::saveFile()},
        {UiKind::Button, "CheckCOM", nullptr, {576, 36, 173, 51}, "Check COM", 12, true, {}, artwork::checkCom()},
    };
    table.insert(table.end(), rest.begin(), rest.end());
    m_controls = kit::buildControls(this, table);

    // The table is in the designed tab order: the window's children GroupBox1, CH0LowAlarm,
    // GroupBox5, CH1LowAlarm, GroupBox13, ProgressBar1, IDSearch, CH0, CH1, Read, Write,
    // OpenFile, SaveFlie, CheckCOM, and the edit boxes inside each box in table order.

    for (int i = 0; i < kFieldCount; ++i) {
        m_edits[i] = qobject_cast<QLineEdit*>(control(controlName(fieldAt(i))));
        checkOnLeave(m_edits[i], checkKind(fieldAt(i)));
    }

    connectComButtons(link::idSearchProgress);
    const auto onClick = [this](const char* name, void (TFormPLIX::*handler)()) {
        connect(get<QPushButton>(name), &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    onClick("CH0", &TFormPLIX::CH0Click);
    onClick("CH1", &TFormPLIX::CH1Click);
    onClick("Read", &TFormPLIX::ReadClick);
    onClick("Write", &TFormPLIX::WriteClick);
    onClick("OpenFile", &TFormPLIX::OpenFileClick);
    onClick("SaveFlie", &TFormPLIX::SaveFlieClick);
}

// ---- Channels ---------------------------------------------------------------------------

void TFormPLIX::showChannelState(int channel, bool enabled)
{
    // CH0LowAlarm / CH1LowAlarm belong to the window, not to their "Alarm Range" box, so
    // hiding the box does not hide them: they go by name.
    static const char* const boxes[kChannelCount][4] = {
        {"GroupBox2", "GroupBox3", "GroupBox4", "CH0LowAlarm"},
        {"GroupBox6", "GroupBox7", "GroupBox8", "CH1LowAlarm"},
    };
    for (const char* name : boxes[channel])
        get<QWidget>(name)->setVisible(enabled);
    auto* button = get<QPushButton>(channel == 0 ? "CH0" : "CH1");
    // The caption names the state the channel is in, not what the next click does.
    button->setText(
        QStringLiteral("CH%1 %2").arg(channel).arg(enabled ? QStringLiteral("Enable") : QStringLiteral("Disable")));
    kit::setTextColor(button, enabled ? QColor() : kit::kRed);
}

void TFormPLIX::CH0Click()
{
    ModelState& m = model();
    m.CH0Enabled = !m.CH0Enabled;
    showChannelState(0, m.CH0Enabled);
}

void TFormPLIX::CH1Click()
{
    ModelState& m = model();
    m.CH1Enabled = !m.CH1Enabled;
    showChannelState(1, m.CH1Enabled);
}

void TFormPLIX::ApplyChannelStates()
{
    showChannelState(0, model().CH0Enabled);
    showChannelState(1, model().CH1Enabled);
}

// ---- Texts ------------------------------------------------------------------------------

Texts TFormPLIX::texts() const
{
    Texts t;
    for (int i = 0; i < kFieldCount; ++i)
        t[fieldAt(i)] = m_edits[i]->text();
    return t;
}

void TFormPLIX::setTexts(const Texts& t)
{
    for (int i = 0; i < kFieldCount; ++i)
        m_edits[i]->setText(t[fieldAt(i)]);
}

// ---- Read and Write ---------------------------------------------------------------------

void TFormPLIX::ReadClick()
{
    kit::Operation op(*this, kit::text::readOperation());
    std::optional<DecodedSet> decoded;
    if (link::ModbusLink* bus = op.link()) {
        if (readBlocks(*bus))
            decoded = decodeDeviceImage(buffers().DeviceImage);
    }
    op.closePort();
    // A stopped read changes neither the boxes nor the channel flags.
    if (decoded) {
        model().setFlags(decoded->flags);
        ApplyChannelStates();
        setTexts(decoded->texts);
        op.message(kit::text::readDone());
    }
}

void TFormPLIX::WriteClick()
{
    kit::Operation op(*this, kit::text::writeOperation());
    link::ModbusLink* const opened = op.link();
    if (!opened)
        return;
    const StagingResult r = stageValues(texts(), model().flags());
    if (!r.value) {
        op.error(r.error); // nothing is sent
        return;
    }
    // Each block goes into the model's parameter image as it is packed, just before it is sent.
    const PLIXStagedValues& staged = *r.value;
    writeBlocks(
        *opened, [&](std::span<std::uint8_t> request, int pos) { PackBlockA(staged, request, pos, model().paramSet); },
        [&](std::span<std::uint8_t> request, int pos) { PackBlockB(staged, request, pos, model().paramSet); },
        [&op] { op.message(kit::text::writeDone()); });
}

// ---- Files ------------------------------------------------------------------------------

void TFormPLIX::OpenFileClick()
{
    kit::openConfiguration(*this, [this](const QString& path) -> std::optional<QString> {
        // Only a whole 100-byte image is taken; anything else leaves image, flags and boxes alone.
        const LoadResult r = loadConfigurationFile(path, model());
        if (!r.value)
            return r.error;
        kit::sweepProgress(ProgressBar1());
        setTexts(r.value->texts);
        ApplyChannelStates();
        return std::nullopt;
    });
}

void TFormPLIX::SaveFlieClick()
{
    // The image is refreshed from the screen before the dialog, even when it is cancelled.
    if (const std::optional<QString> error = captureForSave(texts(), model().flags(), model().paramSet)) {
        kit::dialogs().error(*error);
        return;
    }
    kit::saveConfiguration(
        *this, [](const QString& path) { return values::saveFileSafely(path, model().paramSet.toBytes()); });
}

// ---- Field checks -----------------------------------------------------------------------

values::FieldCheckResult TFormPLIX::fieldCheck(values::FieldKind, const QLineEdit& box) const
{
    const std::optional<Field> f = fieldByName(box.objectName());
    return f ? checkBox(*f, texts()) : values::FieldCheckResult::of(std::nullopt);
}

} // namespace tarnixw::plix
