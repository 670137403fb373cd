// The digital input page and the three DO module pages of the VYRANTA window: their designed
// headings and pictures, their generated controls and the handlers of those controls.
#include "VyrForm.h"
#include "VyrStyle.h"

#include "resources/Artwork.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tarnixw::vyr {

namespace {

// The digital page: module m's controls lie over its group box, 246 pixels apart; channel n's
// row stands at 50 + 23 n; every control is 37 x 22.
constexpr int kDiModuleStep = 246;
constexpr int kDiRowTop = 50;
constexpr int kDiRowStep = 23;
constexpr int kDiWidth = 37;
constexpr int kDiHeight = 22;
constexpr int kDiAllTop = 25;
constexpr int kDiChanLeft = 10;
constexpr int kDiCloseLeft = 68;
constexpr int kDiOpenLeft = 105;
constexpr int kDiSilenceLeft = 140;
constexpr int kDiAlarmLeft = 190;

const QString kSilenceOn = QStringLiteral("30");
const QString kSilenceOff = QStringLiteral("-1");

// One of the four grids of a DO module page: the sixteen inputs 16 g .. 16 g + 15 as columns
// and the module's sixteen output channels as rows.
struct GridPlace {
    const char* heading;
    int headingX, headingY;
    int boxLeft, boxTop; // cell (r, j) at boxLeft + 16 j, boxTop + 11 r
    int columnLabelLeft, columnLabelTop; // number j at columnLabelLeft + 16 j
    int rowLabelLeft, rowLabelTop; // number r at rowLabelLeft (5 further left for two digits)
    int pictureX, pictureY;
};
constexpr std::array<GridPlace, 4> kGrids{{
    {"Analog Inputs", 186, 0, 85, 30, 85, 15, 75, 30, 20, 55},
    // The upper right heading reads "DI Modile 0" on all three pages.
    {"DI Modile 0", 545, 0, 450, 30, 449, 15, 439, 30, 384, 55},
    {"DI Module 1", 180, 208, 85, 240, 85, 223, 75, 238, 20, 263},
    {"DI Module 2", 545, 208, 450, 240, 449, 223, 439, 238, 384, 263},
}};
constexpr int kCellStepX = 16;
constexpr int kCellStepY = 11;
constexpr int kCellSize = 10;

bool validDi(int m, int n)
{
    return m >= 0 && m < kDiModules && n >= 0 && n < kDiChannels;
}

bool validDo(int r, int c, int m)
{
    return r >= 0 && r < kDoOutputs && c >= 0 && c < kDoInputs && m >= 0 && m < kDoModules;
}

QLabel* addLabel(QWidget* parent, const QString& text, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

} // namespace

void TFormVYR::buildDigitalFrame()
{
    QWidget* page = m_sheets[1];
    const QFont bold = kit::formFont(8, true);
    const QPalette navy = textPalette(page, kit::kNavy);
    for (int m = 0; m < kDiModules; ++m) {
        auto* group = new QGroupBox(QStringLiteral("Digital Input %1").arg(m), page);
        group->setObjectName(QStringLiteral("GroupBox%1").arg(m + 1));
        group->setFont(bold);
        group->setGeometry(5 + kDiModuleStep * m, 2, 240, 420);
        m_controls[group->objectName()] = group;

        struct Heading {
            const char* text;
            int x, y;
            bool navy;
        };
        static constexpr Heading kHeadings[] = {
            {"Relay", 72, 20, true},
            {"Close", 56, 35, false},
            {"Open", 92, 35, false},
            {"Silence", 132, 28, true},
            {"Alarm", 188, 28, true},
        };
        for (const Heading& h : kHeadings) {
            auto* label = new QLabel(QLatin1String(h.text), group);
            label->setFont(h.navy ? bold : kit::formFont());
            if (h.navy)
                label->setPalette(navy);
            label->move(h.x, h.y);
            label->adjustSize();
        }
    }
}

void TFormVYR::buildDoFrame(int module)
{
    QWidget* page = m_sheets[2 + module];
    const QPixmap rows = artwork::doRows(module);
    // Unticking a check box that belongs to no group makes Qt search all of its siblings for
    // an exclusive partner: over a page's thousand boxes that would cost the Read decode most
    // of its time. A (non-exclusive) group per grid answers instead; the groups belong to the
    // frame, the boxes join them at every build.
    for (QButtonGroup*& group : m_doGroups[module]) {
        group = new QButtonGroup(page);
        group->setExclusive(false);
    }
    for (const GridPlace& g : kGrids) {
        addLabel(page, QLatin1String(g.heading), g.headingX, g.headingY);
        auto* picture = new QLabel(page);
        picture->setPixmap(rows);
        picture->setGeometry(g.pictureX, g.pictureY, rows.width(), rows.height());
        for (int i = 0; i < 16; ++i) {
            const QString number = QString::number(i);
            addLabel(page, number, g.columnLabelLeft + kCellStepX * i, g.columnLabelTop);
            addLabel(page, number, g.rowLabelLeft - (i >= 10 ? 5 : 0), g.rowLabelTop + kCellStepY * i);
        }
    }
}

void TFormVYR::buildDigitalPage()
{
    QWidget* page = m_sheets[1];
    const QFont bold = kit::formFont(8, true);
    const QPalette green = textPalette(page, kit::kGreen);
    const QPalette red = textPalette(page, kit::kRed);

    const auto button = [&](const QString& caption, const QString& name, int x, int y) {
        auto* b = new QPushButton(caption, page);
        b->setObjectName(name);
        b->setFont(bold);
        b->setAutoDefault(false);
        // The narrow buttons need the small margins to fit "CH15".
        b->setStyle(compactStyle());
        b->setGeometry(x, y, kDiWidth, kDiHeight);
        return b;
    };

    for (int m = 0; m < kDiModules; ++m) {
        QPushButton* all = button(QStringLiteral("ALL"), allBtnName(m + 1), kDiModuleStep * m + kDiChanLeft, kDiAllTop);
        connect(all, &QPushButton::clicked, this, [this, all] { DIChanInUseClick(all); });
        m_allBtn[m + 1] = all;
        enroll(all, Family::AllBtn, m + 1);
    }

    for (int n = 0; n < kDiChannels; ++n)
        for (int m = 0; m < kDiModules; ++m) {
            const int left = kDiModuleStep * m;
            const int top = kDiRowTop + kDiRowStep * n;

            QPushButton* chan
                = button(QStringLiteral("CH%1").arg(n), diName(DiControl::ChanInUseBtn, m, n), left + kDiChanLeft, top);
            connect(chan, &QPushButton::clicked, this, [this, chan] { DIChanInUseClick(chan); });
            m_diChanInUseBtn[m][n] = chan;
            enroll(chan, Family::DIChanInUseBtn, m, n);

            auto* close = new QCheckBox(page);
            close->setObjectName(diName(DiControl::CloseBtn, m, n));
            close->setPalette(green);
            close->setGeometry(left + kDiCloseLeft, top, kDiWidth, kDiHeight);
            close->setChecked(true); // before the handler is bound
            // clicked comes from the user only, so setting the other box in code never
            // re-enters a handler.
            connect(close, &QCheckBox::clicked, this, [this, close] { DICloseClick(close); });
            m_diCloseBtn[m][n] = close;
            enroll(close, Family::DICloseBtn, m, n);

            auto* open = new QCheckBox(page);
            open->setObjectName(diName(DiControl::OpenBtn, m, n));
            open->setPalette(red);
            open->setGeometry(left + kDiOpenLeft, top, kDiWidth, kDiHeight);
            connect(open, &QCheckBox::clicked, this, [this, open] { DIOpenClick(open); });
            m_diOpenBtn[m][n] = open;
            enroll(open, Family::DIOpenBtn, m, n);

            auto* silence = new QLineEdit(kSilenceOn, page);
            silence->setObjectName(diName(DiControl::SilenceT, m, n));
            silence->setPalette(green);
            silence->setGeometry(left + kDiSilenceLeft, top, kDiWidth, kDiHeight);
            checkOnLeave(silence, values::FieldKind::Silence);
            m_diSilenceT[m][n] = silence;
            enroll(silence, Family::DISilenceT, m, n);

            QPushButton* alarm
                = button(QStringLiteral("ON"), diName(DiControl::AlarmBtn, m, n), left + kDiAlarmLeft, top);
            connect(alarm, &QPushButton::clicked, this, [this, alarm] { DIAlarmClick(alarm); });
            m_diAlarmBtn[m][n] = alarm;
            enroll(alarm, Family::DIAlarmBtn, m, n);
        }

    // Every DI channel starts out of use, as its module's ALL flag.
    for (int m = 0; m < kDiModules; ++m)
        for (int n = 0; n < kDiChannels; ++n)
            UpdateDIChannel(m, n);
}

void TFormVYR::buildDoPages()
{
    QStyle* style = compactStyle();
    for (int m = 0; m < kDoModules; ++m) {
        QWidget* page = m_sheets[2 + m];
        for (int r = 0; r < kDoOutputs; ++r)
            for (int c = 0; c < kDoInputs; ++c) {
                const GridPlace& g = kGrids[c / 16];
                auto* box = new QCheckBox(page);
                box->setObjectName(doCellName(r, c, m));
                box->setStyle(style);
                box->setGeometry(g.boxLeft + kCellStepX * (c % 16), g.boxTop + kCellStepY * r, kCellSize, kCellSize);
                connect(box, &QCheckBox::clicked, this, [this, r, c, m] { DOModuleClick(r, c, m); });
                m_doGroups[m][c / 16]->addButton(box);
                m_doModuleBtn[r][c][m] = box;
                enroll(box, Family::DOModuleBtn, r, c, m);
            }
    }
}

void TFormVYR::showDIRow(int m, int n, bool close, bool open)
{
    const bool inUse = model().screen.DIChanInUse[m][n] != 0;
    kit::setTextColor(m_diChanInUseBtn[m][n], inUse ? QColor() : kit::kRed);
    m_diCloseBtn[m][n]->setChecked(close);
    m_diOpenBtn[m][n]->setChecked(open);
    m_diCloseBtn[m][n]->setVisible(inUse);
    m_diOpenBtn[m][n]->setVisible(inUse);
    m_diSilenceT[m][n]->setVisible(inUse);
    m_diAlarmBtn[m][n]->setVisible(inUse);
}

void TFormVYR::showDIAlarm(int m, int n)
{
    const bool on = model().screen.DIAlarm[m][n] != 0;
    QPushButton* alarm = m_diAlarmBtn[m][n];
    kit::setTextColor(alarm, on ? QColor() : kit::kRed);
    alarm->setText(on ? QStringLiteral("ON") : QStringLiteral("OFF"));
    m_diSilenceT[m][n]->setEnabled(on);
}

void TFormVYR::UpdateDIChannel(int m, int n)
{
    if (!validDi(m, n) || !m_diChanInUseBtn[m][n])
        return;
    ScreenState& st = model().screen;
    const bool inUse = st.DIChanInUse[m][n] != 0;
    // Switching a channel on always brings it back with relay mode Close. The arrays are set
    // after the boxes so they hold however the boxes report the change.
    showDIRow(m, n, inUse, false);
    st.DIClose[m][n] = inUse ? 1 : 0;
    st.DIOpen[m][n] = 0;
}

void TFormVYR::UpdateDIAlarm(int m, int n)
{
    if (!validDi(m, n) || !m_diAlarmBtn[m][n])
        return;
    showDIAlarm(m, n);
    // An alarm that is off is a silence time of -1; switching it on starts again from 30.
    m_diSilenceT[m][n]->setText(model().screen.DIAlarm[m][n] != 0 ? kSilenceOn : kSilenceOff);
}

void TFormVYR::DICloseChanged(int m, int n)
{
    if (validDi(m, n) && m_diCloseBtn[m][n])
        setRelayMode(m, n, m_diCloseBtn[m][n]->isChecked());
}

void TFormVYR::DIOpenChanged(int m, int n)
{
    if (validDi(m, n) && m_diOpenBtn[m][n])
        setRelayMode(m, n, !m_diOpenBtn[m][n]->isChecked());
}

void TFormVYR::setRelayMode(int m, int n, bool close)
{
    // Ticking or unticking one box sets the other.
    ScreenState& st = model().screen;
    st.DIClose[m][n] = close ? 1 : 0;
    st.DIOpen[m][n] = close ? 0 : 1;
    m_diCloseBtn[m][n]->setChecked(close);
    m_diOpenBtn[m][n]->setChecked(!close);
}

void TFormVYR::DIChanInUseClick(QObject* sender)
{
    ScreenState& st = model().screen;
    if (const Generated* g = find(sender, Family::AllBtn); g && g->a >= 1) {
        // ALL ignores the channels' own flags: all sixteen take the toggled ALL flag.
        const int m = g->a - 1;
        st.DIAllInUse[m] = complement(st.DIAllInUse[m]);
        for (int n = 0; n < kDiChannels; ++n) {
            st.DIChanInUse[m][n] = st.DIAllInUse[m];
            UpdateDIChannel(m, n);
        }
        return;
    }
    if (const Generated* g = find(sender, Family::DIChanInUseBtn)) {
        st.DIChanInUse[g->a][g->b] = complement(st.DIChanInUse[g->a][g->b]);
        UpdateDIChannel(g->a, g->b);
    }
}

void TFormVYR::DICloseClick(QObject* sender)
{
    if (const Generated* g = find(sender, Family::DICloseBtn))
        DICloseChanged(g->a, g->b);
}

void TFormVYR::DIOpenClick(QObject* sender)
{
    if (const Generated* g = find(sender, Family::DIOpenBtn))
        DIOpenChanged(g->a, g->b);
}

void TFormVYR::DIAlarmClick(QObject* sender)
{
    if (const Generated* g = find(sender, Family::DIAlarmBtn)) {
        std::int16_t& alarm = model().screen.DIAlarm[g->a][g->b];
        alarm = complement(alarm);
        UpdateDIAlarm(g->a, g->b);
    }
}

void TFormVYR::DOModuleClick(int r, int c, int m)
{
    if (validDo(r, c, m) && m_doModuleBtn[r][c][m])
        model().screen.DOMap[r][c][m] = m_doModuleBtn[r][c][m]->isChecked() ? 1 : 0;
}

} // namespace tarnixw::vyr
