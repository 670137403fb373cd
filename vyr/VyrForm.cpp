#include "VyrForm.h"

#include "link/ComPort.h"
#include "resources/Artwork.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>

namespace tarnixw::vyr {

using link::ui::Control;
using link::ui::Kind;
using link::ui::kNavy;

namespace {

link::ComPort& vyrPort()
{
    static link::ComPort port;
    return port;
}

} // namespace

TFormVYR::TFormVYR(link::Session& session, std::function<void()> showMain, QWidget* parent)
    : DeviceForm(session, vyrPort(), std::move(showMain), parent)
{
    setObjectName(QStringLiteral("FormVYR"));
    setWindowTitle(QStringLiteral("TarnixWVYR"));
    setWindowIcon(artwork::programIcon());
    setFixedSize(800, 600);
    buildFrame();
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
}

QWidget* TFormVYR::control(const QString& name) const
{
    const auto it = m_controls.find(name);
    return it == m_controls.end() ? nullptr : it->second;
}

void TFormVYR::buildFrame()
{
    // The tab control comes first in the tab order.
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->setGeometry(24, 52, 750, 450);
    m_pages->setFont(link::ui::formFont(8, true));
    m_pages->setUsesScrollButtons(false);
    const char* pageNames[] = {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4", "TabSheet5"};
    const char* pageCaptions[] = {"Analog Inputs Setup", "Digital Inputs Setup", "DO Module 0 Setup",
                                  "DO Module 1 Setup", "DO Module 2 Setup"};
    link::ui::Controls known;
    for (int i = 0; i < 5; ++i) {
        auto* page = new QWidget;
        page->setObjectName(QLatin1String(pageNames[i]));
        page->setFont(link::ui::formFont());
        m_pages->addTab(page, QLatin1String(pageCaptions[i]));
        known[page->objectName()] = page;
    }
    known[m_pages->objectName()] = m_pages;

    const std::vector<Control> table = {
        // Headings of the analog page: groups navy bold, columns regular.
        {Kind::Label, "LabelSignalRange", "TabSheet1", {104, 4, 0, 0}, "Signal Range (mV)", 8, true, kNavy},
        {Kind::Label, "LabelSFrom", "TabSheet1", {112, 25, 0, 0}, "From"},
        {Kind::Label, "LabelSTo", "TabSheet1", {184, 25, 0, 0}, "To"},
        {Kind::Label, "LabelPhysical", "TabSheet1", {276, 4, 0, 0}, "Physical Value", 8, true, kNavy},
        {Kind::Label, "LabelDFrom", "TabSheet1", {272, 25, 0, 0}, "From"},
        {Kind::Label, "LabelDTo", "TabSheet1", {348, 25, 0, 0}, "To"},
        {Kind::Label, "LabelAlarm", "TabSheet1", {436, 4, 0, 0}, "Alarm Condition", 8, true, kNavy},
        {Kind::Label, "LabelLow", "TabSheet1", {432, 25, 0, 0}, "Low"},
        {Kind::Label, "LabelHigh", "TabSheet1", {500, 25, 0, 0}, "High"},
        {Kind::Label, "LabelDigits", "TabSheet1", {568, 12, 0, 0}, "Digits", 8, true, kNavy},
        {Kind::Label, "LabelSilence", "TabSheet1", {620, 12, 0, 0}, "Silence", 8, true, kNavy},
        {Kind::Label, "LabelHysteresis", "TabSheet1", {668, 12, 0, 0}, "Hysteresis%", 8, true, kNavy},
        // The frame, in tab order.
        {Kind::Group, "GroupBox4", nullptr, {24, 4, 381, 45}, "COM Parameters"},
        {Kind::Label, "LabelCOM", "GroupBox4", {8, 20, 0, 0}, "COM:", 8, true},
        {Kind::Combo, "rdCOM", "GroupBox4", {44, 16, 57, 21}, "1|2|3|4|5|6|7|8|9|10|11|12|13|14|15", 8, true},
        {Kind::Label, "LabelID", "GroupBox4", {108, 20, 0, 0}, "ID:", 8, true},
        {Kind::Edit, "ModbusID", "GroupBox4", {140, 16, 45, 21}, "1", 8, true},
        {Kind::Label, "LabelBaudRate", "GroupBox4", {192, 20, 0, 0}, "BaudRate:", 8, true},
        {Kind::Combo, "BaudRate", "GroupBox4", {264, 16, 105, 21}, "9600|19200|38400|115200", 8, true, {}, {}, false, 1},
        {Kind::Button, "IDSearch", nullptr, {417, 8, 173, 37}, "ID Search", 12, true, {}, artwork::idSearch()},
        {Kind::Button, "Read", nullptr, {24, 528, 117, 37}, "Read", 12, true, {}, artwork::read()},
        {Kind::Button, "Write", nullptr, {168, 528, 117, 37}, "Write", 12, true, {}, artwork::write()},
        {Kind::Button, "OpenFile", nullptr, {312, 528, 117, 37}, "Open File", 12, true, {}, artwork::openFile()},
        {Kind::Button, "SaveFile", nullptr, {460, 528, 117, 37}, "Save File", 12, true, {}, artwork::saveFile()},
        {Kind::Progress, "ProgressBar1", nullptr, {24, 504, 749, 21}, {}},
        {Kind::Button, "CheckCOM", nullptr, {600, 8, 173, 37}, "Check COM", 12, true, {}, artwork::checkCom()},
    };
    m_controls = link::ui::buildControls(this, table, known);

    attachComControls(get<QComboBox>("rdCOM"), get<QLineEdit>("ModbusID"), get<QComboBox>("BaudRate"),
                      get<QProgressBar>("ProgressBar1"));
    connect(get<QPushButton>("CheckCOM"), &QPushButton::clicked, this, [this] { CheckCOMClick(); });
}

} // namespace tarnixw::vyr
