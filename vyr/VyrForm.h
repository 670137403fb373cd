#pragma once

#include "VyrDescription.h"
#include "VyrModel.h"

#include "kit/DeviceForm.h"
#include "link/Modbus.h"

#include <QHash>
#include <array>
#include <cstdint>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace tarnixw::vyr {

// The VYRANTA configuration window: the COM parameters, the action buttons, the progress bar
// and the five pages (analog inputs, digital inputs, DO modules 0 to 2).
//
// The designed frame exists from construction. The generated controls (3476 buttons, edit
// boxes and check boxes) are made on the form's first activation and destroyed when it closes;
// they work on the screen state arrays of model().screen, which outlive the form.
class TFormVYR : public kit::ModelForm<&vyr::model, &vyr::description> {
    Q_OBJECT
public:
    TFormVYR(kit::Session& session, std::function<void()> showMain, QWidget* parent = nullptr);
    ~TFormVYR() override;

    // A designed or generated control by its component name ("Read", "VYRSFrom12",
    // "DOModuleBtnB3C17R1"); nullptr when no such control exists now.
    QWidget* control(const QString& name) const override;
    QTabWidget* PageControl1() const { return m_pages; }
    // TabSheet1 .. TabSheet5 by index 0 .. 4.
    QWidget* page(int index) const { return m_sheets[index]; }

    // The generated controls by index; nullptr before the build and after the close.
    bool isBuilt() const { return m_built; }
    int generatedCount() const { return int(m_names.size()); }
    QPushButton* AllBtn(int index) const { return m_allBtn[index]; }
    QPushButton* VYRChanInUseBtn(int channel) const { return m_chanInUseBtn[channel]; }
    QLineEdit* analogEdit(Column column, int channel) const { return m_analog[int(column)][channel]; }
    QPushButton* DIChanInUseBtn(int m, int n) const { return m_diChanInUseBtn[m][n]; }
    QCheckBox* DICloseBtn(int m, int n) const { return m_diCloseBtn[m][n]; }
    QCheckBox* DIOpenBtn(int m, int n) const { return m_diOpenBtn[m][n]; }
    QLineEdit* DISilenceT(int m, int n) const { return m_diSilenceT[m][n]; }
    QPushButton* DIAlarmBtn(int m, int n) const { return m_diAlarmBtn[m][n]; }
    // [output r][input c][DO module m], as DOMap.
    QCheckBox* DOModuleBtn(int r, int c, int m) const { return m_doModuleBtn[r][c][m]; }

    // Brings the rows in line with the state arrays (used after a Read or a file load).
    void UpdateVYRChannel(int channel);
    void UpdateDIChannel(int m, int n);
    void UpdateDIAlarm(int m, int n);
    // The relay-mode pair of a DI channel reacting to a change of one of its boxes.
    void DICloseChanged(int m, int n);
    void DIOpenChanged(int m, int n);

    // Click handlers of the generated families: these find the control that fired by its
    // component name.
    void VYRChanInUseClick(QObject* sender);
    void DIChanInUseClick(QObject* sender);
    void DICloseClick(QObject* sender);
    void DIOpenClick(QObject* sender);
    void DIAlarmClick(QObject* sender);
    // The DO cell of output r, input c and DO module m was clicked: its state array takes the
    // box's tick. Each of the 3072 boxes is connected with its own indices, looked up by none.
    void DOModuleClick(int r, int c, int m);

    // The screen as a snapshot (texts from the boxes, flags and DO cells from the state
    // arrays) and back. applyScreen leaves the pages as the update routines would, but keeps
    // the relay modes, silence texts and alarm states of the snapshot: analog in-use flags and
    // rows, analog texts, DI rows, DI alarms, then the DO cells by module, output and input,
    // where only a box whose tick differs is changed. After each DO cell the progress bar is
    // set to barAfterCells(cells done so far), when given, and repainted when its value
    // changed. Both need the build.
    Screen captureScreen() const;
    void applyScreen(const Screen& screen, const std::function<int(int cells)>& barAfterCells = {});

    // The device operations and the configuration file (the buttons Read, Write, Open File and
    // Save File).
    void ReadClick();
    void WriteClick();
    void OpenFileClick();
    void SaveFileClick();

    // The families of generated controls.
    enum class Family : std::uint8_t {
        AllBtn,
        VYRChanInUseBtn,
        AnalogEdit,
        DIChanInUseBtn,
        DICloseBtn,
        DIOpenBtn,
        DISilenceT,
        DIAlarmBtn,
        DOModuleBtn,
    };
    // What a component name stands for: the control, its family and its indices (AllBtn: a =
    // index; analog: a = channel, b = column; DI: a = module, b = channel; DO: a = r, b = c,
    // c = m).
    struct Generated {
        QWidget* widget = nullptr;
        Family family = Family::AllBtn;
        std::uint8_t a = 0, b = 0, c = 0;
    };
    // The generated control of that name, or nullptr.
    const Generated* generated(const QString& name) const;

protected:
    void FormCreate() override;
    void FormClose() override;
    // A sensor box is checked against the other limit of its channel.
    values::FieldCheckResult fieldCheck(values::FieldKind kind, const QLineEdit& box) const override;

private:
    void buildFrame();
    void buildDigitalFrame();
    void buildDoFrame(int module);

    void buildGenerated();
    void buildAnalogPage();
    void buildDigitalPage();
    void buildDoPages();
    void destroyGenerated();

    void enroll(QWidget* w, Family family, int a, int b = 0, int c = 0);
    // The sender's entry when it is a live generated control of that family.
    const Generated* find(const QObject* sender, Family family) const;
    // The DI row's looks for its in-use flag and given relay ticks; the alarm button for its
    // flag. Neither touches a state array.
    void showDIRow(int m, int n, bool close, bool open);
    void showDIAlarm(int m, int n);
    // The DI channel's relay mode, Close or Open, in its state arrays and both boxes.
    void setRelayMode(int m, int n, bool close);

    QTabWidget* m_pages = nullptr;
    std::array<QWidget*, 5> m_sheets{};

    bool m_built = false;
    QHash<QString, Generated> m_names;
    std::array<QPushButton*, 4> m_allBtn{};
    std::array<QPushButton*, kAnalogChannels> m_chanInUseBtn{};
    std::array<std::array<QLineEdit*, kAnalogChannels>, kColumns> m_analog{};
    template <typename T> using DiArray = std::array<std::array<T*, kDiChannels>, kDiModules>;
    DiArray<QPushButton> m_diChanInUseBtn{};
    DiArray<QCheckBox> m_diCloseBtn{};
    DiArray<QCheckBox> m_diOpenBtn{};
    DiArray<QLineEdit> m_diSilenceT{};
    DiArray<QPushButton> m_diAlarmBtn{};
    std::array<std::array<std::array<QCheckBox*, kDoModules>, kDoInputs>, kDoOutputs> m_doModuleBtn{};
    // The button groups of the DO grids, [DO module][grid], part of the frame.
    std::array<std::array<QButtonGroup*, 4>, kDoModules> m_doGroups{};
};

} // namespace tarnixw::vyr
