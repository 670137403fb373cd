#include "DeviceForm.h"

#include "BusyGuard.h"
#include "LeaveCheck.h"
#include "Messages.h"
#include "Operation.h"
#include "TrafficWindow.h"
#include "link/IdSearch.h"
#include "link/ModbusLink.h"
#include "resources/Artwork.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <utility>

namespace tarnixw::kit {

namespace {
// The key of the line traffic, also shown beside it in the background's menu.
QKeySequence lineTrafficKey()
{
    return QKeySequence(QStringLiteral("Ctrl+L"));
}
} // namespace

DeviceForm::DeviceForm(Session& session, link::ComPort& port, link::ModelBuffers& buffers,
    const models::DeviceModel& description, const QString& model, std::function<void()> showMain, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
    , m_description(description)
    , m_port(port)
    , m_buffers(buffers)
    , m_showMain(std::move(showMain))
{
    setFont(formFont());
    setModal(true);
    auto* traffic = new QShortcut(lineTrafficKey(), this);
    connect(traffic, &QShortcut::activated, this, &DeviceForm::showLineTraffic);
    m_leave = new LeaveWatcher(this);
    setObjectName(QStringLiteral("Form") + model);
    setWindowTitle(QStringLiteral("TarnixW") + model);
    setWindowIcon(artwork::programIcon());
    setFixedSize(800, 600);
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
}

DeviceForm::~DeviceForm()
{
    delete m_trafficWindow.data(); // it follows m_traffic, which goes before the children do
}

void DeviceForm::showLineTraffic()
{
    if (!m_trafficWindow) {
        m_trafficWindow = new TrafficWindow(m_traffic, this);
        m_trafficWindow->setOperationRunning(BusyGuard::active());
    }
    m_trafficWindow->show();
    m_trafficWindow->raise();
    m_trafficWindow->activateWindow();
}

TrafficWindow* DeviceForm::lineTrafficWindow() const
{
    return m_trafficWindow;
}

void DeviceForm::operationStarted()
{
    if (m_trafficWindow)
        m_trafficWindow->setOperationRunning(true);
}

void DeviceForm::operationEnded()
{
    if (m_trafficWindow)
        m_trafficWindow->setOperationRunning(false);
}

void DeviceForm::contextMenuEvent(QContextMenuEvent* e)
{
    // The form's background, its labels and boxes: not a control with a menu or a use of its own.
    const QWidget* under = childAt(e->pos());
    if (qobject_cast<const QAbstractButton*>(under) || qobject_cast<const QLineEdit*>(under)
        || qobject_cast<const QComboBox*>(under) || qobject_cast<const QAbstractSlider*>(under)
        || qobject_cast<const QAbstractSpinBox*>(under) || qobject_cast<const QProgressBar*>(under)) {
        e->ignore();
        return;
    }
    QMenu menu(this);
    QAction* traffic = menu.addAction(text::trafficTitle() + QChar(0x2026), this, &DeviceForm::showLineTraffic);
    traffic->setShortcut(lineTrafficKey());
    traffic->setShortcutVisibleInContextMenu(true);
    menu.exec(e->globalPos());
}

QWidget* DeviceForm::control(const QString& name) const
{
    const auto it = m_controls.find(name);
    return it == m_controls.end() ? nullptr : it->second;
}

void DeviceForm::connectComButtons(std::function<int(int)> idSearchProgress)
{
    m_idSearchProgress = std::move(idSearchProgress);
    connect(get<QPushButton>("IDSearch"), &QPushButton::clicked, this, [this] { IDSearchClick(); });
    connect(get<QPushButton>("CheckCOM"), &QPushButton::clicked, this, [this] { CheckCOMClick(); });
}

int DeviceForm::portNumber() const
{
    const QComboBox* box = rdCOM();
    return box ? selectedItem(box) + 1 : 0;
}

int DeviceForm::baudIndex() const
{
    const QComboBox* box = BaudRate();
    return box ? selectedItem(box) : -1;
}

void DeviceForm::selectPortIndex(int index)
{
    QComboBox* box = rdCOM();
    if (!box || index < 0)
        return;
    while (box->count() <= index)
        box->addItem(QString::number(box->count() + 1));
    box->setCurrentIndex(index);
}

void DeviceForm::CheckCOMClick()
{
    if (const std::optional<int> n = kit::CheckCOM()) {
        selectPortIndex(*n - 1);
        m_session.ComIndex = *n - 1;
    }
}

namespace {

// The IDSearch button while it runs: red, 8 points, naming the candidate; at rest: the
// window-text colour, 12 points bold, "ID Search".
void showSearchingLook(QPushButton* button, int candidate)
{
    QFont f = button->font();
    f.setPointSize(8);
    button->setFont(f);
    setTextColor(button, kRed);
    button->setText(text::searchingId(candidate));
}

void showRestingLook(QPushButton* button)
{
    button->setFont(formFont(12, true));
    setTextColor(button, QColor());
    button->setText(text::idSearch());
}

} // namespace

void DeviceForm::IDSearchClick()
{
    QPointer<QPushButton> button = get<QPushButton>("IDSearch");
    if (!button)
        return;
    Operation op(*this, text::idSearch(), Operation::SlaveId::None);
    if (!op.opened())
        return; // the button and the bar are untouched
    const QPointer<QProgressBar> bar = ProgressBar1();
    const QPointer<QLineEdit> idBox = ModbusID();
    link::IdSearchUi ui;
    ui.showSearching = [button](int candidate) {
        if (button)
            showSearchingLook(button, candidate);
    };
    ui.setProgress = [bar](int value) { BusyGuard::setBar(bar, value); };
    ui.setFoundId = [idBox, &op](int id) {
        if (idBox)
            idBox->setText(QString::number(id));
        op.message(text::idFound(id));
    };
    link::ModbusLink& bus = *op.link();
    if (!link::IdSearch(bus, ui, m_idSearchProgress) && !bus.cancelled())
        op.message(text::idNotFound());
    op.closePort();
    if (button)
        showRestingLook(button);
}

namespace {

// The design's handler for each kind of field.
using BoundaryCheck = bool (DeviceForm::*)(QLineEdit*);
const std::pair<values::FieldKind, BoundaryCheck> kBoundaryChecks[] = {
    {values::FieldKind::Sensor, &DeviceForm::BoundaryCheck_Sensor},
    {values::FieldKind::PV, &DeviceForm::BoundaryCheck_PV},
    {values::FieldKind::AlarmRange, &DeviceForm::BoundaryCheck_AlarmRange},
    {values::FieldKind::Silence, &DeviceForm::BoundaryCheck_Silence},
    {values::FieldKind::DecimalDigits, &DeviceForm::BoundaryCheck_DecimalDigits},
    {values::FieldKind::Hysteresis, &DeviceForm::BoundaryCheck_Hystersis},
};

} // namespace

void DeviceForm::checkOnLeave(QLineEdit* box, values::FieldKind kind)
{
    for (const auto& entry : kBoundaryChecks)
        if (entry.first == kind)
            m_leave->watch(box, [this, check = entry.second](QLineEdit* left) { return (this->*check)(left); });
}

values::FieldCheckResult DeviceForm::fieldCheck(values::FieldKind kind, const QLineEdit& box) const
{
    return values::checkField(kind, box.text());
}

bool DeviceForm::boundaryCheck(values::FieldKind kind, QLineEdit* box)
{
    return !box || showFieldCheck(box, fieldCheck(kind, *box));
}

void DeviceForm::FormCreate()
{
    selectPortIndex(m_session.ComIndex);
}

void DeviceForm::FormClose()
{
    m_port.closeWithForm();
    if (m_showMain)
        m_showMain();
}

void DeviceForm::runFormCreate()
{
    // Qt activates the window again whenever one of its message boxes or file dialogs closes;
    // the port selection is made once per showing only.
    if (m_created || !isVisible())
        return;
    m_created = true;
    FormCreate();
}

void DeviceForm::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    // A window is not always activated by showing it (no window manager): the first turn of
    // the event loop after the showing counts as the activation then.
    QTimer::singleShot(0, this, [this] { runFormCreate(); });
}

void DeviceForm::hideEvent(QHideEvent* e)
{
    QDialog::hideEvent(e);
    if (!e->spontaneous())
        m_created = false;
}

bool DeviceForm::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate)
        runFormCreate();
    return QDialog::event(e);
}

void DeviceForm::closeEvent(QCloseEvent* e)
{
    if (BusyGuard::active()) {
        e->ignore(); // an operation is running; it releases the port itself
        return;
    }
    FormClose();
    e->accept();
    done(QDialog::Rejected); // ends the modal showing
}

void DeviceForm::reject()
{
    // Escape does nothing: the form has no cancel button, and a key pressed out of habit must
    // not throw away every edit. The form closes by its close button, Alt+F4 or the system menu.
}

} // namespace tarnixw::kit
