#include "VyrForm.h"

#include "VyrStyle.h"

#include "kit/BusyGuard.h"
#include "link/ComPort.h"
#include "link/IdSearch.h"
#include "resources/Artwork.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

namespace tarnixw::vyr {

using kit::Control;
using kit::Kind;
using kit::kNavy;

namespace {

// Where the analog page's generated controls stand: row n at 40 + 24 n, every control 22 high.
constexpr int kAnalogRowTop = 40;
constexpr int kAnalogRowStep = 24;
constexpr int kRowHeight = 22;
constexpr int kChanBtnLeft = 5;
constexpr int kChanBtnWidth = 74;

// Where each column's boxes stand, and the check a box makes when it is left.
struct AnalogColumn {
    int left;
    int width;
    values::FieldKind check;
};
constexpr std::array<AnalogColumn, kColumns> kAnalogColumns{{
    {89, 74, values::FieldKind::Sensor}, // VYRSFrom
    {163, 74, values::FieldKind::Sensor}, // VYRSTo
    {247, 74, values::FieldKind::PV}, // VYRDFrom
    {321, 74, values::FieldKind::PV}, // VYRDTo
    {405, 74, values::FieldKind::AlarmRange}, // VYRLLimit
    {479, 74, values::FieldKind::AlarmRange}, // VYRHLimit
    {568, 37, values::FieldKind::DecimalDigits}, // VYRDigits
    {625, 37, values::FieldKind::Silence}, // VYRSilenceT
    {682, 37, values::FieldKind::Hysteresis}, // VYRHysteresis
}};

} // namespace

TFormVYR::TFormVYR(kit::Session& session, std::function<void()> showMain, QWidget* parent)
    : ModelForm(session, QStringLiteral("VYR"), std::move(showMain), parent)
{
    buildFrame();
}

TFormVYR::~TFormVYR() = default;

QWidget* TFormVYR::control(const QString& name) const
{
    const Generated* g = generated(name);
    return g ? g->widget : DeviceForm::control(name);
}

const TFormVYR::Generated* TFormVYR::generated(const QString& name) const
{
    const auto it = m_names.constFind(name);
    return it == m_names.cend() ? nullptr : &*it;
}

const TFormVYR::Generated* TFormVYR::find(const QObject* sender, Family family) const
{
    if (!sender)
        return nullptr;
    const Generated* g = generated(sender->objectName());
    return g && g->widget == sender && g->family == family ? g : nullptr;
}

void TFormVYR::enroll(QWidget* w, Family family, int a, int b, int c)
{
    m_names.insert(w->objectName(), Generated{w, family, std::uint8_t(a), std::uint8_t(b), std::uint8_t(c)});
}

void TFormVYR::buildFrame()
{
    // The tab control comes first in the tab order.
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->setGeometry(24, 52, 750, 450);
    m_pages->setFont(kit::formFont(8, true));
    m_pages->setUsesScrollButtons(false);
    const char* pageNames[] = {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4", "TabSheet5"};
    const char* pageCaptions[] = {
        "Analog Inputs Setup", "Digital Inputs Setup", "DO Module 0 Setup", "DO Module 1 Setup", "DO Module 2 Setup"};
    kit::Controls known;
    for (int i = 0; i < 5; ++i) {
        auto* page = new QWidget;
        page->setObjectName(QLatin1String(pageNames[i]));
        page->setFont(kit::formFont());
        m_pages->addTab(page, QLatin1String(pageCaptions[i]));
        known[page->objectName()] = page;
        m_sheets[i] = page;
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
        {Kind::Combo, "BaudRate", "GroupBox4", {264, 16, 105, 21}, "9600|19200|38400|115200", 8, true, {}, {}, false,
            1},
        {Kind::Button, "IDSearch", nullptr, {417, 8, 173, 37}, "ID Search", 12, true, {}, artwork::idSearch()},
        {Kind::Button, "Read", nullptr, {24, 528, 117, 37}, "Read", 12, true, {}, artwork::read()},
        {Kind::Button, "Write", nullptr, {168, 528, 117, 37}, "Write", 12, true, {}, artwork::write()},
        {Kind::Button, "OpenFile", nullptr, {312, 528, 117, 37}, "Open File", 12, true, {}, artwork::openFile()},
        {Kind::Button, "SaveFile", nullptr, {460, 528, 117, 37}, "Save File", 12, true, {}, artwork::saveFile()},
        {Kind::Progress, "ProgressBar1", nullptr, {24, 504, 749, 21}, {}},
        {Kind::Button, "CheckCOM", nullptr, {600, 8, 173, 37}, "Check COM", 12, true, {}, artwork::checkCom()},
    };
    m_controls = kit::buildControls(this, table, known);
    buildDigitalFrame();
    for (int m = 0; m < kDoModules; ++m)
        buildDoFrame(m);

    connectComButtons(idSearchProgress);
    connect(get<QPushButton>("Read"), &QPushButton::clicked, this, [this] { ReadClick(); });
    connect(get<QPushButton>("Write"), &QPushButton::clicked, this, [this] { WriteClick(); });
    connect(get<QPushButton>("OpenFile"), &QPushButton::clicked, this, [this] { OpenFileClick(); });
    connect(get<QPushButton>("SaveFile"), &QPushButton::clicked, this, [this] { SaveFileClick(); });
}

void TFormVYR::FormCreate()
{
    // Qt may activate the form again within one showing; the controls are built once.
    if (!m_built)
        buildGenerated();
    DeviceForm::FormCreate(); // selects port ComIndex in rdCOM
}

void TFormVYR::FormClose()
{
    destroyGenerated();
    DeviceForm::FormClose(); // closes a port left open, shows the main window
}

void TFormVYR::buildGenerated()
{
    // The window is already on screen. Controls created under a hidden parent cost little and
    // appear together when it is shown again; shown one by one into a visible window, each
    // would be laid out and painted on its own.
    const bool pagesVisible = !m_pages->isHidden();
    const bool hadFocus = m_pages->isAncestorOf(focusWidget()) || m_pages->hasFocus();
    m_pages->hide();
    m_names.reserve(3476);

    m_pages->setCurrentIndex(0);
    model().screen.resetToBuild();
    buildAnalogPage();
    buildDigitalPage();
    buildDoPages();
    m_built = true;

    if (pagesVisible)
        m_pages->show();
    if (hadFocus)
        m_pages->setFocus();
}

void TFormVYR::destroyGenerated()
{
    if (!m_built)
        return;
    m_built = false;
    // Hidden first, so that nothing is repainted while the controls go.
    const bool pagesVisible = !m_pages->isHidden();
    m_pages->hide();
    for (const Generated& g : std::as_const(m_names))
        delete g.widget;
    m_names.clear();
    m_allBtn = {};
    m_chanInUseBtn = {};
    m_analog = {};
    m_diChanInUseBtn = {};
    m_diCloseBtn = {};
    m_diOpenBtn = {};
    m_diSilenceT = {};
    m_diAlarmBtn = {};
    m_doModuleBtn = {};
    if (pagesVisible)
        m_pages->show();
}

void TFormVYR::buildAnalogPage()
{
    QWidget* page = m_sheets[0];
    const QFont bold = kit::formFont(8, true);

    // The ALL button and each channel's button: bold, clicked as one family.
    const auto channelButton = [&](const QString& caption, const QString& name, int top) {
        auto* btn = new QPushButton(caption, page);
        btn->setObjectName(name);
        btn->setFont(bold);
        btn->setAutoDefault(false);
        btn->setGeometry(kChanBtnLeft, top, kChanBtnWidth, kRowHeight);
        connect(btn, &QPushButton::clicked, this, [this, btn] { VYRChanInUseClick(btn); });
        return btn;
    };
    m_allBtn[0] = channelButton(QStringLiteral("ALL"), allBtnName(0), 10);
    enroll(m_allBtn[0], Family::AllBtn, 0);

    const QPalette green = textPalette(page, kit::kGreen);

    for (int n = 0; n < kAnalogChannels; ++n) {
        const int top = kAnalogRowTop + kAnalogRowStep * n;
        auto* btn = channelButton(QStringLiteral("CH%1").arg(n), chanInUseBtnName(n), top);
        m_chanInUseBtn[n] = btn;
        enroll(btn, Family::VYRChanInUseBtn, n);

        for (int col = 0; col < kColumns; ++col) {
            const Column column = Column(col);
            auto* edit = new QLineEdit(columnDefault(column), page);
            edit->setObjectName(analogName(column, n));
            edit->setPalette(green);
            edit->setGeometry(kAnalogColumns[col].left, top, kAnalogColumns[col].width, kRowHeight);
            checkOnLeave(edit, kAnalogColumns[col].check);
            m_analog[col][n] = edit;
            enroll(edit, Family::AnalogEdit, n, col);
        }
    }
    // Every row starts in use, so UpdateVYRChannel has nothing to change.
}

void TFormVYR::UpdateVYRChannel(int channel)
{
    if (channel < 0 || channel >= kAnalogChannels || !m_chanInUseBtn[channel])
        return;
    const bool inUse = model().screen.VYRChanInUse[channel] != 0;
    // An invalid colour is the window-text colour.
    kit::setTextColor(m_chanInUseBtn[channel], inUse ? QColor() : kit::kRed);
    for (int col = 0; col < kColumns; ++col)
        m_analog[col][channel]->setVisible(inUse);
}

void TFormVYR::VYRChanInUseClick(QObject* sender)
{
    ScreenState& st = model().screen;
    if (const Generated* g = find(sender, Family::AllBtn); g && g->a == 0) {
        // ALL ignores the channels' own flags: every channel takes the toggled ALL flag.
        st.VYRAllInUse = complement(st.VYRAllInUse);
        for (int n = 0; n < kAnalogChannels; ++n) {
            st.VYRChanInUse[n] = st.VYRAllInUse;
            UpdateVYRChannel(n);
        }
        return;
    }
    if (const Generated* g = find(sender, Family::VYRChanInUseBtn)) {
        st.VYRChanInUse[g->a] = complement(st.VYRChanInUse[g->a]);
        UpdateVYRChannel(g->a);
    }
}

Screen TFormVYR::captureScreen() const
{
    const ScreenState& st = model().screen;
    Screen s = Screen::defaults();
    if (!m_built)
        return s;
    for (int k = 0; k < kAnalogChannels; ++k)
        for (int col = 0; col < kColumns; ++col)
            s.analog[k][col] = m_analog[col][k]->text();
    s.VYRChanInUse = st.VYRChanInUse;
    s.DIChanInUse = st.DIChanInUse;
    s.DIAlarm = st.DIAlarm;
    for (int m = 0; m < kDiModules; ++m)
        for (int n = 0; n < kDiChannels; ++n) {
            s.DICloseTicked[m][n] = m_diCloseBtn[m][n]->isChecked();
            s.DIOpenTicked[m][n] = m_diOpenBtn[m][n]->isChecked();
            s.DISilenceT[m][n] = m_diSilenceT[m][n]->text();
        }
    s.DOMap = st.DOMap;
    return s;
}

void TFormVYR::applyScreen(const Screen& screen, const std::function<int(int cells)>& barAfterCells)
{
    if (!m_built)
        return;
    ScreenState& st = model().screen;
    st.adoptScreen(screen);
    for (int k = 0; k < kAnalogChannels; ++k)
        UpdateVYRChannel(k);
    for (int k = 0; k < kAnalogChannels; ++k)
        for (int col = 0; col < kColumns; ++col)
            m_analog[col][k]->setText(screen.analog[k][col]);
    // The relay modes of the snapshot stay (UpdateDIChannel would reset them to Close), and an
    // alarm that is on keeps its silence time (UpdateDIAlarm would reset it to 30).
    for (int m = 0; m < kDiModules; ++m)
        for (int n = 0; n < kDiChannels; ++n)
            showDIRow(m, n, st.DIClose[m][n] != 0, st.DIOpen[m][n] != 0);
    for (int m = 0; m < kDiModules; ++m)
        for (int n = 0; n < kDiChannels; ++n) {
            m_diSilenceT[m][n]->setText(screen.DISilenceT[m][n]);
            showDIAlarm(m, n);
        }

    // The bar moves after every cell, as a sweep: shown at most once a screen frame.
    std::optional<kit::BarSweep> bar;
    if (barAfterCells)
        bar.emplace(ProgressBar1());
    int cells = 0;
    for (int m = 0; m < kDoModules; ++m)
        for (int r = 0; r < kDoOutputs; ++r)
            for (int c = 0; c < kDoInputs; ++c) {
                QCheckBox* box = m_doModuleBtn[r][c][m];
                const bool ticked = st.DOMap[r][c][m] != 0;
                if (box->isChecked() != ticked)
                    box->setChecked(ticked);
                ++cells;
                if (!bar)
                    continue;
                bar->set(barAfterCells(cells));
            }
}

} // namespace tarnixw::vyr
