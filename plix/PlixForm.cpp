#include "PlixForm.h"

#include "link/ComPort.h"
#include "resources/Artwork.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace tarnixw::plix {

using link::ui::Control;
using link::ui::Kind;
using link::ui::kGreen;

namespace {

link::ComPort& plixPort()
{
    static link::ComPort port;
    return port;
}

// One channel panel. The CH1 panel repeats the CH0 layout with its own names; only
// CH1HighAlarm is narrower (65) than its CH0 twin (73).
std::vector<Control> channelPanel(int ch)
{
    const bool one = ch == 1;
    auto n = [&](const char* zero, const char* oneName) { return one ? oneName : zero; };
    const QString chs = QString::number(ch);
    return {
        {Kind::Group, n("GroupBox1", "GroupBox5"), nullptr, {one ? 400 : 88, 96, 297, 353}, {}},
        {Kind::Group, n("GroupBox2", "GroupBox6"), n("GroupBox1", "GroupBox5"), {8, 56, 281, 105}, "Sensor Range", 8, true},
        {Kind::Label, n("Label8", "Label12"), n("GroupBox2", "GroupBox6"), {8, 32, 0, 0}, "From (mV):"},
        {Kind::Label, n("Label9", "Label13"), n("GroupBox2", "GroupBox6"), {152, 32, 0, 0}, "To(mV):"},
        {Kind::Label, n("Label10", "Label14"), n("GroupBox2", "GroupBox6"), {8, 72, 0, 0}, "P.V. From:"},
        {Kind::Label, n("Label11", "Label15"), n("GroupBox2", "GroupBox6"), {152, 72, 0, 0}, "P.V. To:"},
        {Kind::Edit, n("CH0SensorFrom", "CH1SensorFrom"), n("GroupBox2", "GroupBox6"), {64, 28, 65, 21}, "1000", 8, false, kGreen},
        {Kind::Edit, n("CH0SensorTo", "CH1SensorTo"), n("GroupBox2", "GroupBox6"), {200, 28, 73, 21}, "5000", 8, false, kGreen},
        {Kind::Edit, n("CH0PvFrom", "CH1PvFrom"), n("GroupBox2", "GroupBox6"), {64, 68, 65, 21}, "0.000", 8, false, kGreen},
        {Kind::Edit, n("CH0PvTo", "CH1PvTo"), n("GroupBox2", "GroupBox6"), {200, 68, 73, 21}, "100.000", 8, false, kGreen},
        {Kind::Group, n("GroupBox3", "GroupBox7"), n("GroupBox1", "GroupBox5"), {8, 168, 281, 57}, "Alarm Range", 8, true},
        {Kind::Label, n("Label6", "Label16"), n("GroupBox3", "GroupBox7"), {32, 24, 0, 0}, "Low:"},
        {Kind::Label, n("Label7", "Label17"), n("GroupBox3", "GroupBox7"), {168, 24, 0, 0}, "High:"},
        {Kind::Edit, n("CH0HighAlarm", "CH1HighAlarm"), n("GroupBox3", "GroupBox7"), {200, 20, one ? 65 : 73, 21}, "60.000", 8, false, kGreen},
        {Kind::Group, n("GroupBox4", "GroupBox8"), n("GroupBox1", "GroupBox5"), {8, 232, 281, 113}, "Others", 8, true},
        {Kind::Label, n("Label3", "Label18"), n("GroupBox4", "GroupBox8"), {8, 20, 0, 0}, "Silence Time (min.) :"},
        {Kind::Label, n("Label4", "Label19"), n("GroupBox4", "GroupBox8"), {32, 50, 0, 0}, "Decimal Digits :"},
        {Kind::Label, n("Label5", "Label20"), n("GroupBox4", "GroupBox8"), {40, 80, 0, 0}, "Hystersis (%) :"},
        {Kind::Edit, n("CH0SilenceTime", "CH1SilenceTime"), n("GroupBox4", "GroupBox8"), {112, 16, 73, 21}, "30", 8, false, kGreen},
        {Kind::Edit, n("CH0DecimalDigits", "CH1DecimalDigits"), n("GroupBox4", "GroupBox8"), {112, 46, 73, 21}, "1", 8, false, kGreen},
        {Kind::Edit, n("CH0Hystersis", "CH1Hystersis"), n("GroupBox4", "GroupBox8"), {112, 76, 73, 21}, "0.5", 8, false, kGreen},
        // The low alarm box belongs to the window, not to its "Alarm Range" box; it stands
        // inside that box, right of "Low:".
        {Kind::Edit, n("CH0LowAlarm", "CH1LowAlarm"), nullptr, {one ? 472 : 160, 284, 65, 21}, "40.000", 8, false, kGreen},
    };
}

} // namespace

TFormPLIX::TFormPLIX(link::Session& session, std::function<void()> showMain, QWidget* parent)
    : DeviceForm(session, plixPort(), std::move(showMain), parent)
{
    setObjectName(QStringLiteral("FormPLIX"));
    setWindowTitle(QStringLiteral("TarnixWPLIX"));
    setWindowIcon(artwork::programIcon());
    setFixedSize(800, 600);
    buildFrame();
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
}

QWidget* TFormPLIX::control(const QString& name) const
{
    const auto it = m_controls.find(name);
    return it == m_controls.end() ? nullptr : it->second;
}

void TFormPLIX::buildFrame()
{
    std::vector<Control> table = channelPanel(0);
    const std::vector<Control> ch1 = channelPanel(1);
    table.insert(table.end(), ch1.begin(), ch1.end());
    const std::vector<Control> rest = {
        {Kind::Group, "GroupBox13", nullptr, {52, 32, 329, 57}, "COM Parameter", 8, true},
        {Kind::Label, "Label32", "GroupBox13", {4, 24, 0, 0}, "COM :"},
        {Kind::Combo, "rdCOM", "GroupBox13", {36, 20, 81, 21}, "1|2|3|4|5|6|7|8|9|10|11|12|13|14|15"},
        {Kind::Label, "Label30", "GroupBox13", {120, 24, 0, 0}, "ID :"},
        {Kind::Edit, "ModbusID", "GroupBox13", {144, 20, 33, 21}, "1"},
        {Kind::Label, "Label31", "GroupBox13", {184, 24, 0, 0}, "Baud Rate :"},
        {Kind::Combo, "BaudRate", "GroupBox13", {248, 20, 73, 21}, "9600|19200|38400|115200", 8, false, {}, {}, false, 1},
        {Kind::Progress, "ProgressBar1", nullptr, {88, 456, 609, 25}, {}},
        {Kind::Button, "IDSearch", nullptr, {392, 37, 173, 51}, "ID Search", 12, true, {}, artwork::idSearch(), true},
        {Kind::Button, "CH0", nullptr, {97, 112, 279, 33}, "CH0 Enable", 8, true, {}, {}, true},
        {Kind::Button, "CH1", nullptr, {408, 112, 279, 33}, "CH1 Enable", 8, true, {}, {}, true},
        {Kind::Button, "Read", nullptr, {88, 496, 115, 40}, "Read", 12, true, {}, artwork::read()},
        {Kind::Button, "Write", nullptr, {216, 496, 115, 40}, "Write", 12, true, {}, artwork::write()},
        {Kind::Button, "OpenFile", nullptr, {344, 496, 115, 40}, "Open File", 12, true, {}, artwork::openFile()},
        {Kind::Button, "SaveFlie", nullptr, {472, 496, 115, 40}, "Save Flie", 12, true, {}, artwork::saveFile()},
        {Kind::Button, "CheckCOM", nullptr, {576, 36, 173, 51}, "Check COM", 12, true, {}, artwork::checkCom()},
    };
    table.insert(table.end(), rest.begin(), rest.end());
    m_controls = link::ui::buildControls(this, table);

    // The table is in the designed tab order: the window's children GroupBox1, CH0LowAlarm,
    // GroupBox5, CH1LowAlarm, GroupBox13, ProgressBar1, IDSearch, CH0, CH1, Read, Write,
    // OpenFile, SaveFlie, CheckCOM, and the edit boxes inside each box in table order.

    attachComControls(get<QComboBox>("rdCOM"), get<QLineEdit>("ModbusID"), get<QComboBox>("BaudRate"),
                      get<QProgressBar>("ProgressBar1"));
    connect(get<QPushButton>("CheckCOM"), &QPushButton::clicked, this, [this] { CheckCOMClick(); });
}

} // namespace tarnixw::plix
