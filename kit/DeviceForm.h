#pragma once

#include "link/ComPort.h"
#include "link/Modbus.h"
#include "link/Traffic.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <functional>

namespace tarnixw::kit {

class TrafficWindow;

// What the main window keeps for the whole run and the device forms share.
struct Session {
    int ComIndex = 0; // selected port, 0-based (port number - 1)
    int ComCheckCount = 0; // non-zero once the start-up port check has set a port
};

// What both device forms have in common: the COM parameter controls, the progress bar, the
// per-showing selection of the port, Check COM, the line traffic of its operations, and the
// close that releases the port and brings the main window back.
class DeviceForm : public QDialog {
    Q_OBJECT
public:
    DeviceForm(Session& session, link::ComPort& port, std::function<void()> showMain, QWidget* parent = nullptr);
    ~DeviceForm() override;

    QComboBox* rdCOM() const { return m_rdCOM; }
    QLineEdit* ModbusID() const { return m_modbusId; }
    QComboBox* BaudRate() const { return m_baudRate; }
    QProgressBar* ProgressBar1() const { return m_progress; }
    // The model's serial port, which outlives the form.
    link::ComPort& comPort() const { return m_port; }

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

protected:
    void attachComControls(QComboBox* rdCOM, QLineEdit* modbusId, QComboBox* baudRate, QProgressBar* bar);
    // What the ID search needs of a form: its button, its model's link buffers (which outlive
    // the form) and its progress rule by candidate.
    void attachIdSearch(QPushButton* button, link::ModelBuffers& buffers, std::function<int(int)> progressRule);

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

    Session& m_session;
    link::ComPort& m_port;

private:
    void runFormCreate();

    std::function<void()> m_showMain;
    QPointer<QComboBox> m_rdCOM;
    QPointer<QLineEdit> m_modbusId;
    QPointer<QComboBox> m_baudRate;
    QPointer<QProgressBar> m_progress;
    QPointer<QPushButton> m_idSearchButton;
    link::ModelBuffers* m_idSearchBuffers = nullptr;
    std::function<int(int)> m_idSearchProgress;
    bool m_created = false;
    link::TrafficLog m_traffic;
    QPointer<TrafficWindow> m_trafficWindow;
};

} // namespace tarnixw::kit
