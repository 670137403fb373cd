#include "JsonFormat.h"

#include "Words.h"

#include "model/Fields.h"
#include "words/Words.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QLocale>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <set>

namespace tarnixw::cli {

namespace {

using models::Field;
using models::Format;
using models::PathStep;

constexpr int kFormat = 1;
constexpr int kMostErrors = 40;

// The shape of a model's JSON, built once from its field table: objects keep their keys in
// table order, arrays their entries, and each leaf points at its field (a list of integers at
// the fields of its possible items).
struct Node {
    enum class Kind { Object, Array, Value, List };
    Kind kind = Kind::Object;
    std::vector<QString> keys; // an object's keys; its members are the items
    std::vector<Node> items;
    const Field* field = nullptr;
    std::vector<const Field*> listFields;

    Node& member(const QString& key)
    {
        if (const Node* known = find(key))
            return items[std::size_t(known - items.data())];
        keys.push_back(key);
        return items.emplace_back();
    }
    const Node* find(const QString& key) const
    {
        const auto it = std::find(keys.begin(), keys.end(), key);
        return it == keys.end() ? nullptr : &items[std::size_t(it - keys.begin())];
    }
};

Node buildShape(const DeviceModel& model)
{
    Node root;
    for (const Field& f : model.fields()) {
        Node* n = &root;
        for (const PathStep& step : f.path) {
            if (step.index < 0) {
                n = &n->member(step.key);
            } else {
                n->kind = Node::Kind::Array;
                if (int(n->items.size()) <= step.index)
                    n->items.resize(std::size_t(step.index) + 1);
                n = &n->items[std::size_t(step.index)];
            }
        }
        if (f.listItem >= 0) {
            n->kind = Node::Kind::List;
            n->listFields.push_back(&f);
        } else {
            n->kind = Node::Kind::Value;
            n->field = &f;
        }
    }
    return root;
}

const Node& shapeOf(const DeviceModel& model)
{
    // Each shape is built when first needed.
    static std::map<const DeviceModel*, Node> shapes;
    auto [it, fresh] = shapes.try_emplace(&model);
    if (fresh)
        it->second = buildShape(model);
    return it->second;
}

// ---- Writing ------------------------------------------------------------------------------

QString quoted(const QString& s)
{
    // The keys and names of the format are plain ASCII words.
    return QLatin1Char('"') + s + QLatin1Char('"');
}

void write(const Node& n, const Configuration& c, int indent, QString& out)
{
    const QString inner(indent + 2, QLatin1Char(' '));
    switch (n.kind) {
    case Node::Kind::Value:
        out += jsonText(*n.field, n.field->get(c));
        return;
    case Node::Kind::List: {
        QStringList listed;
        for (const Field* f : n.listFields)
            if (f->get(c))
                listed << QString::number(f->listItem);
        out += QLatin1Char('[') + listed.join(QStringLiteral(", ")) + QLatin1Char(']');
        return;
    }
    case Node::Kind::Array:
    case Node::Kind::Object: {
        const bool object = n.kind == Node::Kind::Object;
        // An object of plain values goes on one line: a DI channel, a DO output, the scaling.
        if (object && std::all_of(n.items.begin(), n.items.end(), [](const Node& m) {
                return m.kind == Node::Kind::Value || m.kind == Node::Kind::List;
            })) {
            out += QLatin1Char('{');
            for (std::size_t i = 0; i < n.items.size(); ++i) {
                out += (i ? QStringLiteral(", ") : QString()) + quoted(n.keys[i]) + QStringLiteral(": ");
                write(n.items[i], c, indent, out);
            }
            out += QLatin1Char('}');
            return;
        }
        out += object ? QStringLiteral("{\n") : QStringLiteral("[\n");
        for (std::size_t i = 0; i < n.items.size(); ++i) {
            out += object ? inner + quoted(n.keys[i]) + QStringLiteral(": ") : inner;
            write(n.items[i], c, indent + 2, out);
            out += i + 1 < n.items.size() ? QStringLiteral(",\n") : QStringLiteral("\n");
        }
        out += QString(indent, QLatin1Char(' ')) + QLatin1Char(object ? '}' : ']');
        return;
    }
    }
}

// ---- Reading ------------------------------------------------------------------------------

// What the parsed document does not keep of the text: every number exactly as written, and
// the keys given twice in one object, by their JSON path ("analog_inputs[3].pv_to").
struct Written {
    std::map<QString, QString> numbers;
    QStringList twice;

    // The number at `path` as the user wrote it.
    QString literal(const QString& path) const
    {
        const auto it = numbers.find(path);
        return it == numbers.end() ? QString() : it->second;
    }
};

// Reads a string literal of valid JSON at text[i] (the opening quote); returns its value and
// moves i past the closing quote.
QString stringAt(const QByteArray& text, qsizetype& i)
{
    QByteArray raw;
    qsizetype j = i + 1;
    for (; j < text.size() && text[j] != '"'; ++j) {
        raw += text[j];
        if (text[j] == '\\' && j + 1 < text.size())
            raw += text[++j];
    }
    i = j + 1;
    // The document has parsed it already; it decodes the escapes.
    const QJsonDocument one = QJsonDocument::fromJson("[\"" + raw + "\"]");
    return one.array().at(0).toString();
}

Written writtenText(const QByteArray& text)
{
    struct Level {
        bool object = false;
        QString path;
        int index = 0;
        std::set<QString> keys{};
        QString key{};
        bool awaitingKey = false;
    };
    Written w;
    std::vector<Level> levels;
    const auto valuePath = [&]() -> QString {
        if (levels.empty())
            return {};
        const Level& l = levels.back();
        if (l.object)
            return l.path.isEmpty() ? l.key : l.path + QLatin1Char('.') + l.key;
        return QStringLiteral("%1[%2]").arg(l.path).arg(l.index);
    };
    for (qsizetype i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '"') {
            const QString s = stringAt(text, i);
            if (!levels.empty() && levels.back().object && levels.back().awaitingKey) {
                Level& l = levels.back();
                l.awaitingKey = false;
                l.key = s;
                if (!l.keys.insert(s).second)
                    w.twice << valuePath();
            }
            continue;
        }
        if (c == '-' || (c >= '0' && c <= '9')) {
            qsizetype j = i;
            while (j < text.size()
                && (std::isdigit(static_cast<unsigned char>(text[j])) || text[j] == '-' || text[j] == '+'
                    || text[j] == '.' || text[j] == 'e' || text[j] == 'E'))
                ++j;
            w.numbers[valuePath()] = QString::fromLatin1(text.mid(i, j - i));
            i = j;
            continue;
        }
        // Anything else is one character: a bracket, a comma, a colon, white space, a letter of a word.
        if (c == '{' || c == '[') {
            const bool object = c == '{';
            levels.push_back({.object = object, .path = valuePath(), .awaitingKey = object});
        } else if ((c == '}' || c == ']') && !levels.empty()) {
            levels.pop_back();
        } else if (c == ',' && !levels.empty()) {
            if (levels.back().object)
                levels.back().awaitingKey = true;
            else
                ++levels.back().index;
        }
        ++i;
    }
    return w;
}

// The decimals a number literal holds: digits after the point, less its exponent ("1.50" 2,
// "1.5e1" 0, "100.0000000000000000001" 19). Zeros count: they are written.
int decimalsOf(const QString& literal)
{
    const qsizetype e = literal.indexOf(QLatin1Char('e'), 0, Qt::CaseInsensitive);
    const QString mantissa = e < 0 ? literal : literal.left(e);
    const int exponent = e < 0 ? 0 : literal.mid(e + 1).toInt();
    const qsizetype point = mantissa.indexOf(QLatin1Char('.'));
    const int fraction = point < 0 ? 0 : int(mantissa.size() - point - 1);
    return std::max(0, fraction - exponent);
}

// Whether a number literal is written as an integer: no point, no exponent. "30.0" and "1.5e1"
// are 30 and 15, but an integer field takes neither: what was written is what is meant.
bool writtenAsInteger(const QString& literal)
{
    return !literal.contains(QLatin1Char('.')) && !literal.contains(QLatin1Char('e'), Qt::CaseInsensitive);
}

// A JSON value as the user wrote it, shortened when long.
QString shown(const QJsonValue& v, const QString& literal = {})
{
    QString text;
    if (!literal.isEmpty()) {
        text = literal;
    } else if (v.isDouble()) {
        const double d = v.toDouble();
        text = std::fabs(d) < 1e15 && d == std::floor(d) ? QString::number(qint64(d))
                                                         : QString::number(d, 'g', QLocale::FloatingPointShortest);
    } else {
        const QByteArray compact = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
        text = QString::fromUtf8(compact.mid(1, compact.size() - 2));
    }
    if (text.size() > 40)
        text = text.left(37) + QStringLiteral("...");
    return text;
}

QString typeName(const QJsonValue& v)
{
    switch (v.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return Words::cliJsonTrueFalse();
    case QJsonValue::Double:
        return Words::cliJsonNumber();
    case QJsonValue::String:
        return Words::cliJsonText();
    case QJsonValue::Array:
        return Words::cliJsonList();
    case QJsonValue::Object:
        return Words::cliJsonObject();
    case QJsonValue::Undefined:
        break;
    }
    return Words::cliJsonNothing();
}

// What was found instead of what was expected: "a text \"5\"", "null", "true".
QString found(const QJsonValue& v)
{
    if (v.isNull() || v.isBool())
        return shown(v);
    return typeName(v) + QLatin1Char(' ') + shown(v);
}

class Reader {
public:
    Reader(Configuration& config, QStringList& errors, const Written& written)
        : m_config(config)
        , m_errors(errors)
        , m_written(written)
    { }

    void read(const QJsonValue& v, const Node& n, const QString& path)
    {
        switch (n.kind) {
        case Node::Kind::Object:
            readObject(v, n, path);
            return;
        case Node::Kind::Array:
            readArray(v, n, path);
            return;
        case Node::Kind::List:
            readList(v, n, path);
            return;
        case Node::Kind::Value:
            readValue(v, *n.field, path);
            return;
        }
    }

    void readObject(const QJsonValue& v, const Node& n, const QString& path, const QStringList& alsoKnown = {})
    {
        if (!v.isObject()) {
            fail(path, Words::cliExpectedObject(found(v)));
            return;
        }
        const QJsonObject object = v.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            if (!n.find(it.key()) && !alsoKnown.contains(it.key()))
                fail(path, Words::cliUnknownKey(quoted(it.key())));
        for (std::size_t i = 0; i < n.keys.size(); ++i) {
            const QString& key = n.keys[i];
            const QString childPath = path.isEmpty() ? key : path + QLatin1Char('.') + key;
            if (!object.contains(key))
                fail(path, Words::cliMissingKey(quoted(key)));
            else
                read(object.value(key), n.items[i], childPath);
        }
    }

private:
    void fail(const QString& path, const QString& what)
    {
        m_errors << (path.isEmpty() ? what : path + QStringLiteral(": ") + what);
    }

    void readArray(const QJsonValue& v, const Node& n, const QString& path)
    {
        if (!v.isArray()) {
            fail(path, Words::cliExpectedList(qsizetype(n.items.size()), found(v)));
            return;
        }
        const QJsonArray array = v.toArray();
        if (std::size_t(array.size()) != n.items.size()) {
            fail(path, Words::cliExpectedEntries(qsizetype(n.items.size()), array.size()));
            return;
        }
        for (qsizetype i = 0; i < array.size(); ++i)
            read(array.at(i), n.items[std::size_t(i)], QStringLiteral("%1[%2]").arg(path).arg(i));
    }

    // A whole number within lo..hi, or nothing after naming the fault.
    std::optional<std::int64_t> integer(const QJsonValue& v, const QString& path, std::int64_t lo, std::int64_t hi)
    {
        if (!v.isDouble()) {
            fail(path, Words::cliExpectedInteger(found(v)));
            return std::nullopt;
        }
        const double d = v.toDouble();
        const QString written = m_written.literal(path);
        // Written decimals are refused, zeros too, and so is an exponent: an integer field
        // holds neither.
        if (d != std::floor(d) || !writtenAsInteger(written)) {
            fail(path, Words::cliNotAnInteger(shown(v, written)));
            return std::nullopt;
        }
        if (d < double(lo) || d > double(hi)) {
            fail(path, Words::cliDoesNotFit(shown(v, written), QString::number(lo), QString::number(hi)));
            return std::nullopt;
        }
        return std::int64_t(d);
    }

    void readValue(const QJsonValue& v, const Field& f, const QString& path)
    {
        switch (f.format) {
        case Format::Identity:
            if (!v.isDouble() || v.toDouble() != double(f.min) || !writtenAsInteger(m_written.literal(path)))
                fail(path, Words::cliMustBePlace(shown(v, m_written.literal(path)), f.min));
            return;
        case Format::Flag:
            if (!v.isBool())
                fail(path, Words::cliExpectedFlag(found(v)));
            else
                f.set(m_config, v.toBool() ? 1 : 0);
            return;
        case Format::Integer:
            if (const auto i = integer(v, path, f.min, f.max))
                f.set(m_config, *i);
            return;
        case Format::Thousandths:
        case Format::Tenths:
            readDecimal(v, f, path, f.format == Format::Thousandths ? 3 : 1);
            return;
        }
    }

    // A number with at most `decimals` decimals, held as an integer of that many decimals.
    void readDecimal(const QJsonValue& v, const Field& f, const QString& path, int decimals)
    {
        if (!v.isDouble()) {
            fail(path, Words::cliExpectedNumber(found(v)));
            return;
        }
        const double scale = decimals == 3 ? 1000.0 : 10.0;
        const double d = v.toDouble();
        const QString written = m_written.literal(path);
        const QString lowest = jsonText(f, f.min);
        const QString highest = jsonText(f, f.max);
        if (!(d * scale >= double(f.min) - 0.5 && d * scale <= double(f.max) + 0.5)) {
            fail(path, Words::cliDoesNotFit(shown(v, written), lowest, highest));
            return;
        }
        // The decimals as written count, zeros too: the value is never rounded to fit.
        const QString text = QString::number(d, 'f', QLocale::FloatingPointShortest);
        const qsizetype point = text.indexOf(QLatin1Char('.'));
        if ((point >= 0 && text.size() - point - 1 > decimals) || decimalsOf(written) > decimals) {
            fail(path, Words::cliTooManyDecimals(shown(v, written), decimals));
            return;
        }
        const std::int64_t value = std::llround(d * scale);
        if (value < f.min || value > f.max) {
            fail(path, Words::cliDoesNotFit(shown(v, written), lowest, highest));
            return;
        }
        f.set(m_config, value);
    }

    void readList(const QJsonValue& v, const Node& n, const QString& path)
    {
        const int count = int(n.listFields.size());
        if (!v.isArray()) {
            fail(path, Words::cliExpectedNumbers(count - 1, found(v)));
            return;
        }
        const QJsonArray array = v.toArray();
        std::set<std::int64_t> seen;
        for (qsizetype i = 0; i < array.size(); ++i) {
            const QString itemPath = QStringLiteral("%1[%2]").arg(path).arg(i);
            const auto item = integer(array.at(i), itemPath, 0, count - 1);
            if (item && !seen.insert(*item).second)
                fail(itemPath, Words::cliListedTwice(*item));
        }
        for (const Field* f : n.listFields)
            f->set(m_config, seen.count(f->listItem) ? 1 : 0);
    }

    Configuration& m_config;
    QStringList& m_errors;
    const Written& m_written;
};

const DeviceModel* modelNamed(const QString& name, const Models& models)
{
    for (const DeviceModel* m : models)
        if (name == m->name())
            return m;
    return nullptr;
}

// "\"VYRANTA\" or \"PLIXARO\""
QString modelNames(const Models& models)
{
    QStringList names;
    for (const DeviceModel* m : models)
        names << quoted(m->name());
    return oneOf(names);
}

QString position(const QByteArray& text, int offset)
{
    const QByteArray before = text.left(std::max(offset, 0));
    return Words::cliLineColumn(int(before.count('\n')) + 1, int(before.size() - before.lastIndexOf('\n')));
}

} // namespace

QByteArray configToJson(const Configuration& config)
{
    QString out
        = QStringLiteral("{\n  \"format\": %1,\n  \"model\": %2,\n").arg(kFormat).arg(quoted(config.model->name()));
    // The table's root object, written without its "{\n" after the two header keys.
    QString body;
    write(shapeOf(*config.model), config, 0, body);
    return (out + body.mid(2) + QLatin1Char('\n')).toUtf8();
}

JsonImport configFromJson(const QByteArray& text, const Models& models)
{
    JsonImport r;
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        r.errors << Words::labelled(position(text, parseError.offset), Words::cliNotJson(parseError.errorString()));
        return r;
    }
    if (!doc.isObject()) {
        r.errors << Words::cliExpectedDocument(kFormat);
        return r;
    }
    const QJsonObject root = doc.object();
    const QJsonValue format = root.value(QStringLiteral("format"));
    const QJsonValue model = root.value(QStringLiteral("model"));
    const Written written = writtenText(text);
    const QString formatWritten = written.literal(QStringLiteral("format"));
    if (format.isUndefined())
        r.errors << Words::cliMissingKey(quoted(QStringLiteral("format")));
    else if (!format.isDouble() || format.toDouble() != kFormat || !writtenAsInteger(formatWritten))
        r.errors << Words::labelled(
            QStringLiteral("format"), Words::cliUnknownFormat(shown(format, formatWritten), kFormat));
    const DeviceModel* m = nullptr;
    if (model.isUndefined()) {
        r.errors << Words::cliMissingKey(quoted(QStringLiteral("model")));
    } else {
        m = modelNamed(model.toString(), models);
        if (!model.isString() || !m)
            r.errors << Words::labelled(QStringLiteral("model"), Words::cliIsNot(shown(model), modelNames(models)));
    }
    if (!r.errors.isEmpty() || !m)
        return r;

    // A key given twice would be taken at its last value in silence.
    for (const QString& path : written.twice)
        r.errors << Words::labelled(path, Words::cliKeyTwice());
    Configuration config = m->zeros();
    Reader reader(config, r.errors, written);
    reader.readObject(root, shapeOf(*m), QString(), {QStringLiteral("format"), QStringLiteral("model")});
    if (const qsizetype more = r.errors.size() - kMostErrors; more > 0) {
        r.errors.resize(kMostErrors);
        r.errors << Words::cliAndMore(more);
    }
    if (r.errors.isEmpty())
        r.config = config;
    return r;
}

} // namespace tarnixw::cli
