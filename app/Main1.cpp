#include "Main1.h"

#include "kit/FormKit.h"
#include "kit/Messages.h"
#include "plix/PlixForm.h"
#include "resources/Artwork.h"
#include "vyr/VyrForm.h"
#include "words/Words.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace tarnixw::app {

using kit::Control;
using kit::Kind;

TMain::TMain(std::function<void()> closeLogo, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_closeLogo(std::move(closeLogo))
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(Words::mainWindowTitle());
    setWindowIcon(artwork::programIcon());
    setFont(kit::formFont());
    setFixedSize(553, 308);
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());

    // PLIXARO first: it comes first in the tab order.
    const Control table[] = {
        {Kind::Group, "GroupBox1", nullptr, {280, 16, 237, 221}, Words::plixModelName(), 8, true},
        {Kind::Button, "PLIXButton", "GroupBox1", {8, 16, 220, 200}, {}, 8, false, {}, QIcon(artwork::plixDevice()),
            true},
        {Kind::Group, "GroupBox2", nullptr, {24, 16, 237, 221}, Words::vyrModelName(), 8, true},
        {Kind::Button, "VYRButton", "GroupBox2", {8, 16, 220, 200}, {}, 8, false, {}, QIcon(artwork::vyrDevice()),
            true},
    };
    const kit::Controls controls = kit::buildControls(this, table);
    auto* vyr = qobject_cast<QPushButton*>(controls.at(QStringLiteral("VYRButton")));
    auto* plix = qobject_cast<QPushButton*>(controls.at(QStringLiteral("PLIXButton")));
    vyr->setIconSize(QSize(200, 141));
    plix->setIconSize(QSize(200, 140));
    connect(vyr, &QPushButton::clicked, this, &TMain::VYRButtonClick);
    connect(plix, &QPushButton::clicked, this, &TMain::PLIXButtonClick);

    // Coming back to the program from another one counts as a new activation of the main
    // window; its own message boxes closing do not.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive && isVisible() && !m_deviceForm)
            QTimer::singleShot(0, this, &TMain::CheckCOMClick);
    });
}

void TMain::exec()
{
    QEventLoop loop;
    m_loop = &loop;
    setWindowModality(Qt::ApplicationModal);
    show();
    loop.exec(QEventLoop::DialogExec);
    m_loop = nullptr;
}

void TMain::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    // Every showing (the first, and the return from a device form) is an activation.
    QTimer::singleShot(0, this, &TMain::CheckCOMClick);
}

void TMain::CheckCOMClick()
{
    if (m_session.ComCheckCount != 0 || m_checking || !isVisible() || m_deviceForm)
        return;
    m_checking = true;
    if (const std::optional<int> n = kit::CheckCOM()) {
        m_session.ComIndex = *n - 1;
        ++m_session.ComCheckCount;
    }
    m_checking = false;
}

void TMain::runDeviceForm(QDialog* form)
{
    m_deviceForm = form;
    hide();
    form->exec();
    // The form is destroyed when its modal showing returns; its close handler has shown the
    // main window again, which counts as an activation.
    delete m_deviceForm.data();
    if (isVisible())
        QTimer::singleShot(0, this, &TMain::CheckCOMClick);
}

void TMain::VYRButtonClick()
{
    runDeviceForm(new vyr::TFormVYR(m_session, [this] { show(); }));
}

void TMain::PLIXButtonClick()
{
    runDeviceForm(new plix::TFormPLIX(m_session, [this] { show(); }));
}

void TMain::FormClose()
{
    if (m_closeLogo)
        m_closeLogo();
}

void TMain::closeEvent(QCloseEvent* e)
{
    FormClose();
    e->accept();
    if (m_loop)
        m_loop->exit(); // the modal showing returns
}

} // namespace tarnixw::app
