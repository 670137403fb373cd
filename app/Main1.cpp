#include "Main1.h"

#include "Devices.h"

#include "kit/FormKit.h"
#include "kit/Messages.h"
#include "resources/Artwork.h"
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

    // A group box and a picture button per model, in the list's tab order.
    std::vector<Control> table;
    for (const DeviceButton& d : deviceButtons()) {
        m_session.models.push_back(d.model);
        table.push_back({Kind::Group, d.group, nullptr, d.groupGeometry, d.model->name(), 8, true});
        table.push_back({Kind::Button, d.button, d.group, {8, 16, 220, 200}, {}, 8, false, {}, QIcon(d.picture), true});
    }
    const kit::Controls controls = kit::buildControls(this, table);
    for (const DeviceButton& d : deviceButtons()) {
        auto* button = qobject_cast<QPushButton*>(controls.at(QLatin1String(d.button)));
        button->setIconSize(d.picture.size());
        connect(button, &QPushButton::clicked, this, d.click);
    }

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

void TMain::openDeviceForm(const DeviceButton& device)
{
    runDeviceForm(device.form(m_session, [this] { show(); }));
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
