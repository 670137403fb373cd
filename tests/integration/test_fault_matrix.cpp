// Every device operation against every fault of the line and the device: the right message,
// the port closed afterwards, nothing on the screen changed where the operation did not
// complete, and the next operation on the same port working. Prints the matrix as it runs.
#include "link/ComPort.h"
#include "link/Modbus.h"
#include "plix/PlixForm.h"
#include "plix/PlixModel.h"
#include "tests/support/Models.h"
#include "tests/support/SimLine.h"
#include "vyr/VyrForm.h"
#include "vyr/VyrModel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <type_traits>

using namespace tarnixw;

namespace {

enum class Op { IdSearch, Read, Write };
enum class Fault {
    None,
    SilentOnce,
    SilentTwice,
    SilentThrice,
    OtherSlaveId,
    Exception,
    Truncated,
    BadCrc,
    Late,
    Unplugged,
    OpenFails,
    SetupFails,
};

const char* opName(Op op)
{
    switch (op) {
    case Op::IdSearch:
        return "ID Search";
    case Op::Read:
        return "Read";
    case Op::Write:
        return "Write";
    }
    return "";
}

const char* faultName(Fault f)
{
    switch (f) {
    case Fault::None:
        return "no fault";
    case Fault::SilentOnce:
        return "silent once";
    case Fault::SilentTwice:
        return "silent twice";
    case Fault::SilentThrice:
        return "silent three times";
    case Fault::OtherSlaveId:
        return "another slave ID";
    case Fault::Exception:
        return "exception answer";
    case Fault::Truncated:
        return "truncated answer";
    case Fault::BadCrc:
        return "corrupted CRC";
    case Fault::Late:
        return "late answer (300 ms)";
    case Fault::Unplugged:
        return "unplugged mid-operation";
    case Fault::OpenFails:
        return "port does not open";
    case Fault::SetupFails:
        return "port setup fails";
    }
    return "";
}

void apply(Fault f, test::SimLine& line)
{
    sim::Faults& d = line.device.faults();
    switch (f) {
    case Fault::None:
        break;
    case Fault::SilentOnce:
        d.silentNext = 1;
        break;
    case Fault::SilentTwice:
        d.silentNext = 2;
        break;
    case Fault::SilentThrice:
        d.silentNext = 3;
        break;
    case Fault::OtherSlaveId:
        d.wrongId = 7;
        break;
    case Fault::Exception:
        d.exceptionCode = 4;
        break;
    case Fault::Truncated:
        d.truncate = true;
        break;
    case Fault::BadCrc:
        d.badCrc = true;
        break;
    case Fault::Late:
        d.lateMs = 300;
        break;
    case Fault::Unplugged:
        d.unplugAfter = 2;
        break;
    case Fault::OpenFails:
        line.opener.failWith = link::OpenError::NoSuchPort;
        break;
    case Fault::SetupFails:
        line.opener.failWith = link::OpenError::SetupFailed;
        break;
    }
}

// Everything the user can see of a form: texts, ticks, colours, what is shown and enabled.
QStringList snapshot(const QWidget* form)
{
    QStringList out;
    for (const QWidget* w : form->findChildren<QWidget*>()) {
        if (w->objectName().isEmpty())
            continue;
        QString s = w->objectName() + (w->isVisibleTo(form) ? " v" : " h") + (w->isEnabled() ? "e" : "d");
        if (auto* e = qobject_cast<const QLineEdit*>(w))
            s += " [" + e->text() + "] " + e->palette().color(QPalette::Text).name();
        else if (auto* b = qobject_cast<const QAbstractButton*>(w))
            s += " [" + b->text() + "] " + (b->isChecked() ? "x " : "- ")
                + b->palette().color(QPalette::ButtonText).name();
        else if (auto* c = qobject_cast<const QComboBox*>(w))
            s += " [" + c->currentText() + "]";
        else if (auto* p = qobject_cast<const QProgressBar*>(w))
            s += " " + QString::number(p->value());
        out << s;
    }
    return out;
}

// One device form and its model on a simulated line.
struct Subject {
    virtual ~Subject() = default;
    virtual QWidget* form() = 0;
    virtual void run(Op op) = 0;
    bool ready = true;
    QString done(Op op) const
    {
        return op == Op::IdSearch ? "ID  =  1" : op == Op::Read ? "Read Done." : "Write Done.";
    }
};

template <typename Form> struct FormSubject final : Subject {
    explicit FormSubject(kit::Session& session)
        : m_form(std::make_unique<Form>(session, [] {}))
    {
        m_form->show();
        if constexpr (std::is_same_v<Form, vyr::TFormVYR>)
            ready = QTest::qWaitFor([this] { return m_form->isBuilt(); }); // pages are built on activation
        else
            QTest::qWait(1);
    }
    QWidget* form() override { return m_form.get(); }
    void run(Op op) override
    {
        switch (op) {
        case Op::IdSearch:
            m_form->IDSearchClick();
            break;
        case Op::Read:
            m_form->ReadClick();
            break;
        case Op::Write:
            m_form->WriteClick();
            break;
        }
    }
    std::unique_ptr<Form> m_form;
};

// A fresh form of the model, its model state as at the program's start.
std::unique_ptr<Subject> freshSubject(test::Model model, kit::Session& session)
{
    plix::resetModel();
    vyr::resetModel();
    if (model == test::Model::Plix)
        return std::make_unique<FormSubject<plix::TFormPLIX>>(session);
    return std::make_unique<FormSubject<vyr::TFormVYR>>(session);
}

// A device whose settings differ from the screen's defaults, so that a completed Read shows.
void makeDistinct(sim::Device& d)
{
    if (&d.model() == &test::describe(test::Model::Plix)) {
        link::PutLong(d.memory(), 2048, 800); // CH0 sensor from
        link::PutShort(d.memory(), 32, 0x0001); // CH1 disabled
    } else {
        link::PutShort(d.memory(), 32, 0x00FF); // channels 8..15 not in use
        link::PutLong(d.memory(), 2048, 800); // CH0 signal range from
        link::PutShort(d.memory(), 422, 0x0003); // DI module 0 channels 0, 1 Close
    }
}

const QString kNoResponse = QStringLiteral("Device No Response !!");
const QString kResponseError = QStringLiteral("Response Error !!");
const QString kNotFound = QStringLiteral("Can not Find Device ID !!");
const QString kOpenError = QStringLiteral("OPEN COM ERROR!!");
const QString kSetupError = QStringLiteral("COM SETUP ERROR!!!");

using Model = test::Model;

// The slave ID the ID search rows look for: its probes take the bar through most of the rule.
constexpr int kSearchId = 247;

} // namespace

Q_DECLARE_METATYPE(Op)
Q_DECLARE_METATYPE(Fault)
Q_DECLARE_METATYPE(test::Model)

class TestFaultMatrix : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        std::printf("\n%-9s %-10s %-24s %-52s %-6s %-7s %s\n", "model", "operation", "fault", "messages", "port",
            "screen", "next");
    }

    void matrix_data()
    {
        QTest::addColumn<Model>("model");
        QTest::addColumn<Op>("op");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QStringList>("messages");

        const QStringList none;
        for (Model m : {Model::Plix, Model::Vyr}) {
            const char* mn = m == Model::Plix ? "PLIX" : "VYR";
            auto row = [&](Op op, Fault f, QStringList expected) {
                QTest::addRow("%s %s, %s", mn, opName(op), faultName(f)) << m << op << f << expected;
            };
            // ID Search: one probe per candidate, no retry; anything but a good answer from
            // the candidate is passed over.
            row(Op::IdSearch, Fault::None, {"ID  =  1"});
            for (Fault f : {Fault::SilentOnce, Fault::OtherSlaveId, Fault::Exception, Fault::Truncated, Fault::BadCrc,
                     Fault::Late})
                row(Op::IdSearch, f, {kNotFound});
            row(Op::IdSearch, Fault::SilentTwice, {kNotFound});
            row(Op::IdSearch, Fault::SilentThrice, {kNotFound});
            row(Op::IdSearch, Fault::Unplugged, {"ID  =  1"}); // the device leaves after answering
            row(Op::IdSearch, Fault::OpenFails, {kOpenError});
            row(Op::IdSearch, Fault::SetupFails, {kSetupError});

            // Read: two silences in a phase are retried, the third stops it; an answer that is
            // damaged or incomplete is no answer.
            row(Op::Read, Fault::None, {"Read Done."});
            row(Op::Read, Fault::SilentOnce, {"Read Done."});
            row(Op::Read, Fault::SilentTwice, {"Read Done."});
            row(Op::Read, Fault::SilentThrice, {kNoResponse});
            row(Op::Read, Fault::OtherSlaveId, {kResponseError});
            row(Op::Read, Fault::Exception, {kResponseError});
            row(Op::Read, Fault::Truncated, {kNoResponse});
            row(Op::Read, Fault::BadCrc, {kNoResponse});
            row(Op::Read, Fault::Late, {kNoResponse});
            row(Op::Read, Fault::Unplugged, {kNoResponse});
            row(Op::Read, Fault::OpenFails, {kOpenError});
            row(Op::Read, Fault::SetupFails, {kSetupError});

            row(Op::Write, Fault::None, {"Write Done."});
            row(Op::Write, Fault::SilentOnce, {"Write Done."});
            row(Op::Write, Fault::SilentTwice, {"Write Done."});
            row(Op::Write, Fault::OpenFails, {kOpenError});
            row(Op::Write, Fault::SetupFails, {kSetupError});
            row(Op::Write, Fault::Truncated, {kNoResponse});
            row(Op::Write, Fault::BadCrc, {kNoResponse});
            row(Op::Write, Fault::SilentThrice, {kNoResponse});
            if (m == Model::Plix) {
                // The write-enable is closed after a failed block, with its own retries; after a
                // failed opening it is sent once, and only an answer to it is reported.
                row(Op::Write, Fault::OtherSlaveId, {kResponseError, kResponseError});
                row(Op::Write, Fault::Exception, {kResponseError, kResponseError});
                row(Op::Write, Fault::Late, {"Write Done."}); // 300 ms is inside its 840 ms wait
                row(Op::Write, Fault::Unplugged, {kNoResponse, kNoResponse});
            } else {
                row(Op::Write, Fault::OtherSlaveId, {kResponseError});
                row(Op::Write, Fault::Exception, {kResponseError});
                row(Op::Write, Fault::Late, {kNoResponse});
                row(Op::Write, Fault::Unplugged, {kNoResponse});
            }
        }
    }

    // The whole sequence of bar values each operation shows, against its rule (b: block of the
    // phase, k: wait step; integer division; above 100 shows full; the bar ends at 0).
    void progressRules_data()
    {
        QTest::addColumn<Model>("model");
        QTest::addColumn<Op>("op");
        QTest::addColumn<QList<int>>("rule");
        auto blocks = [](int count, const std::function<int(int b, int k)>& f) {
            QList<int> out;
            for (int b = 0; b < count; ++b)
                for (int k = 0; k < 16; ++k)
                    out << f(b, k);
            return out;
        };
        auto steps = [](int count, int plus) {
            QList<int> out;
            for (int k = 0; k < count; ++k)
                out << k + plus;
            return out;
        };
        auto search = [](const std::function<int(int c)>& f) {
            QList<int> out; // after each candidate, with the candidate as it now is
            for (int c = 2; c <= kSearchId; ++c)
                out << f(c);
            return out << f(kSearchId); // found: the candidate stays
        };
        QList<int> decode; // the VYRANTA decode: after each of the 3072 DO cells
        for (int cells = 1; cells <= 3072; ++cells)
            decode << 75 + cells / 123;

        QTest::newRow("PLIX ID Search") << Model::Plix << Op::IdSearch << search([](int c) { return c * 100 / 255; });
        QTest::newRow("PLIX Read") << Model::Plix << Op::Read << blocks(4, [](int b, int k) {
            return b * 16 + k;
        }) + blocks(3, [](int b, int k) { return b * 16 + k + 64; });
        QTest::newRow("PLIX Write") << Model::Plix << Op::Write << steps(56, 3) + steps(38, 62);
        QTest::newRow("VYR ID Search") << Model::Vyr << Op::IdSearch << search([](int c) { return (c / 5) * 2; });
        QTest::newRow("VYR Read") << Model::Vyr << Op::Read
                                  << blocks(13, [](int b, int k) { return (b * 64 + k) * 100 / 1700; })
                + blocks(7, [](int b, int k) { return (b * 64 + k + 818) * 100 / 1700; }) + decode;
        QTest::newRow("VYR Write") << Model::Vyr << Op::Write << blocks(13, [](int b, int k) {
            return (b * 64 + k) / 12;
        }) + blocks(7, [](int b, int k) { return (b * 64 + k + 818) / 12; });
    }
    void progressRules()
    {
        QFETCH(Model, model);
        QFETCH(Op, op);
        QFETCH(QList<int>, rule);
        test::SimLine line(model, op == Op::IdSearch ? kSearchId : 1);
        const std::unique_ptr<Subject> subject = freshSubject(model, line.session);
        QVERIFY(subject->ready);
        auto* bar = subject->form()->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
        QVERIFY(bar);
        QList<int> shown;
        connect(bar, &QProgressBar::valueChanged, this, [&](int v) { shown << v; });
        QList<int> expected; // what the bar changes to: the rule shown 0..100, then back to 0
        int at = bar->value();
        for (int v : rule + QList<int>{0}) {
            v = std::clamp(v, 0, 100);
            if (v != at)
                expected << v;
            at = v;
        }

        subject->run(op);

        QCOMPARE(line.dialogs.texts().size(), 1);
        QVERIFY(!line.dialogs.texts().constFirst().contains(QLatin1String("!")));
        QCOMPARE(shown, expected);
    }

    void matrix()
    {
        QFETCH(Model, model);
        QFETCH(Op, op);
        QFETCH(Fault, fault);
        QFETCH(QStringList, messages);

        test::SimLine line(model, 1);
        makeDistinct(line.device);
        const std::unique_ptr<Subject> subject = freshSubject(model, line.session);
        QVERIFY(subject->ready);
        const QStringList before = snapshot(subject->form());
        const std::vector<std::uint8_t> memoryBefore(line.device.memory().begin(), line.device.memory().end());

        apply(fault, line);
        subject->run(op);

        const QStringList shown = line.dialogs.texts();
        const bool portClosed = line.opener.opens == line.opener.closes;
        const bool completed = shown.contains(subject->done(op));
        const QStringList after = snapshot(subject->form());
        // Only a completed Read changes the screen; an ID search that finds the ID it shows
        // already (1) leaves it as it was.
        const bool screenKept = after == before;
        const bool screenAsExpected = (op == Op::Read && completed) ? !screenKept : screenKept;

        // The next operation on the same port, with the cable and the device in order again.
        line.port.replug();
        line.opener.failWith = link::OpenError::None;
        line.dialogs.clear();
        subject->run(op);
        const bool nextWorks
            = line.dialogs.texts() == QStringList{subject->done(op)} && line.opener.opens == line.opener.closes;

        std::printf("%-9s %-10s %-24s %-52s %-6s %-7s %s\n", model == Model::Plix ? "PLIXARO" : "VYRANTA", opName(op),
            faultName(fault), qPrintable(shown.join(" | ")), portClosed ? "closed" : "OPEN",
            screenAsExpected ? (screenKept ? "kept" : "read") : "WRONG", nextWorks ? "works" : "FAILS");

        QCOMPARE(shown, messages);
        QVERIFY(portClosed);
        QVERIFY(screenAsExpected);
        QVERIFY(nextWorks);
        if (op == Op::Read || op == Op::IdSearch) {
            // Reading never writes to the device.
            QVERIFY(std::equal(memoryBefore.begin(), memoryBefore.end(), line.device.memory().begin()));
        }
    }
};

QTEST_MAIN(TestFaultMatrix)
#include "test_fault_matrix.moc"
