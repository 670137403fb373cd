#pragma once

#include "FormKit.h"
#include "link/ComPort.h"
#include "link/Modbus.h"
#include "link/Traffic.h"
#include "model/DeviceModel.h"
#include "values/FieldChecks.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <functional>

namespace tarnixw::kit {

class LeaveWatcher;
class TrafficWindow;

// What the main window keeps for the whole run and the device forms share.
struct Session {
    int ComIndex = 0; // selected port, 0-based (port number - 1)
    int ComCheckCount = 0; // non-zero once the start-up port check has set a port
    // The models the program serves, in the main window's order: the file dialogs offer their
    // files in it.
    models::Models models;
};

// What both device forms have in common: the window, its designed controls by name, the COM
// parameter controls, the progress bar, the per-showing selection of the port, Check COM, ID
// Search, the checks made when an edit box is left, the line traffic of its operations, and
// the close that releases the port and brings the main window back.
class DeviceForm : public QDialog {
    Q_OBJECT
public:
    // The form of one model over its port and link buffers, which outlive the form: 800 x 600
    // in the middle of the screen, named "Form" + model ("FormVYR") and titled "TarnixW" + model.
    DeviceForm(Session& session, link::ComPort& port, link::ModelBuffers& buffers,
        const models::DeviceModel& description, const QString& model, std::function<void()> showMain,
        QWidget* parent = nullptr);
    ~DeviceForm() override;

    // A control by its component name ("Read", "rdCOM", "GroupBox7"); nullptr when no such
    // control exists now.
    virtual QWidget* control(const QString& name) const;
    template <typename T> T* get(const char* name) const { return qobject_cast<T*>(control(QLatin1String(name))); }

    QComboBox* rdCOM() const { return get<QComboBox>("rdCOM"); }
    QLineEdit* ModbusID() const { return get<QLineEdit>("ModbusID"); }
    QComboBox* BaudRate() const { return get<QComboBox>("BaudRate"); }
    QProgressBar* ProgressBar1() const { return get<QProgressBar>("ProgressBar1"); }
    link::ComPort& comPort() const { return m_port; }
    link::ModelBuffers& linkBuffers() const { return m_buffers; }
    const Session& session() const { return m_session; }
    const models::DeviceModel& description() const { return m_description; }

    // The port number and baud index as the controls show them now: the selected item + 1
    // (0 when the user typed something that is no item), and the baud item (-1 likewise).
    int portNumber() const;
    int baudIndex() const;

    // Selects item index in rdCOM, adding items when the port number is above the list's 15.
    void selectPortIndex(int index);

    void CheckCOMClick();
    // Probes slave ids 1..255 on the selected port and puts the first that answers into
    // ModbusID. The IDSearch button names the candidate while the search runs.
    void IDSearchClick();
    bool formCreatedThisShowing() const { return m_created; }

    // Every frame of this form's operations, kept while the form is open.
    link::TrafficLog& trafficLog() { return m_traffic; }
    // Opens (or raises) the "Line traffic" window: Ctrl+L, or the menu of the form's background.
    void showLineTraffic();
    TrafficWindow* lineTrafficWindow() const;
    // An operation starts or ends (its traffic window may not be cleared or saved meanwhile).
    void operationStarted();
    void operationEnded();

    // The checks made when an edit box is left, one for each kind of field. Each checks the
    // box's text as a field of its kind (fieldCheck), shows the outcome (showFieldCheck) and
    // returns whether the text passed.
    bool BoundaryCheck_Sensor(QLineEdit* box) { return boundaryCheck(values::FieldKind::Sensor, box); }
    bool BoundaryCheck_PV(QLineEdit* box) { return boundaryCheck(values::FieldKind::PV, box); }
    bool BoundaryCheck_AlarmRange(QLineEdit* box) { return boundaryCheck(values::FieldKind::AlarmRange, box); }
    bool BoundaryCheck_Silence(QLineEdit* box) { return boundaryCheck(values::FieldKind::Silence, box); }
    bool BoundaryCheck_DecimalDigits(QLineEdit* box) { return boundaryCheck(values::FieldKind::DecimalDigits, box); }
    bool BoundaryCheck_Hystersis(QLineEdit* box) { return boundaryCheck(values::FieldKind::Hysteresis, box); }

protected:
    // Connects the IDSearch and CheckCOM buttons of m_controls (rdCOM, ModbusID, BaudRate and
    // ProgressBar1 are found there by name); the ID search moves the bar by
    // idSearchProgress(candidate).
    void connectComButtons(std::function<int(int)> idSearchProgress);
    // Runs the BoundaryCheck_ of the box's kind whenever the user leaves the box.
    void checkOnLeave(QLineEdit* box, values::FieldKind kind);
    // The check of a box as a field of its kind: values::checkField unless the form knows more
    // (a sensor box is checked against its partner).
    virtual values::FieldCheckResult fieldCheck(values::FieldKind kind, const QLineEdit& box) const;

    // Runs once per showing, when the form first comes up: selects port ComIndex.
    virtual void FormCreate();
    // The form is closing: release the port, bring the main window back.
    virtual void FormClose();

    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool event(QEvent* e) override;
    void reject() override;
    void contextMenuEvent(QContextMenuEvent* e) override;

    // The designed controls by component name.
    Controls m_controls;

private:
    void runFormCreate();
    bool boundaryCheck(values::FieldKind kind, QLineEdit* box);

    Session& m_session;
    const models::DeviceModel& m_description;
    link::ComPort& m_port;
    link::ModelBuffers& m_buffers;
    std::function<void()> m_showMain;
    LeaveWatcher* m_leave = nullptr;
    std::function<int(int)> m_idSearchProgress;
    bool m_created = false;
    link::TrafficLog m_traffic;
    QPointer<TrafficWindow> m_trafficWindow;
};

// A device form over one model's process-wide state, Model(), whose link buffers and port
// outlive the form.
template <auto Model, auto Description> class ModelForm : public DeviceForm {
public:
    static link::ModelBuffers& buffers() { return Model().buffers; }
    static link::ComPort& port() { return Model().port; }

protected:
    ModelForm(Session& session, const QString& model, std::function<void()> showMain, QWidget* parent)
        : DeviceForm(session, port(), buffers(), Description(), model, std::move(showMain), parent)
    { }
};

} // namespace tarnixw::kit
