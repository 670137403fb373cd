#include "NetworkPorts.h"

#include "words/Words.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace tarnixw::link {

QString networkPortsFile()
{
    if (const QString named = qEnvironmentVariable("TARNIXW_NETWORK_PORTS"); !named.isEmpty())
        return named;
#ifdef Q_OS_WIN
    return QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA")) + QStringLiteral("/Tarnixw/network-ports.txt");
#else
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/tarnixw/network-ports.txt");
#endif
}

NetworkPortFile parseNetworkPorts(const QString& text)
{
    NetworkPortFile file;
    const QStringList lines = text.split(QLatin1Char('\n'));
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (const qsizetype hash = line.indexOf(QLatin1Char('#')); hash >= 0)
            line.truncate(hash);
        const QStringList words = line.split(spaces, Qt::SkipEmptyParts);
        if (words.isEmpty())
            continue;
        const auto problem = [&](const QString& why) { file.problems << Words::netPortsLine(int(i) + 1, why); };
        if (words.size() < 2) {
            problem(Words::netPortsNoAddress(words[0]));
            continue;
        }
        values::Result<NetAddress> address = parseNetAddress(words[1]);
        if (!address.ok()) {
            problem(address.error);
            continue;
        }
        bool ok = true;
        for (const QString& option : words.mid(2)) {
            const values::Result<int> window = parseAnswerWindow(option);
            if (!window.ok()) {
                problem(window.error);
                ok = false;
                break;
            }
            address.value->windowMs = *window.value;
        }
        if (!ok)
            continue;
        if (std::any_of(
                file.ports.begin(), file.ports.end(), [&](const NetworkPort& p) { return p.name == words[0]; })) {
            problem(Words::netPortsNameTwice(words[0]));
            continue;
        }
        file.ports.push_back({words[0], *address.value});
    }
    return file;
}

NetworkPortFile readNetworkPorts(const QString& path)
{
    QFile f(path);
    if (!f.exists())
        return {};
    if (!f.open(QIODevice::ReadOnly)) {
        NetworkPortFile file;
        file.problems << Words::netPortsUnreadable(path, f.errorString());
        return file;
    }
    // A ports file is a few lines; a huge file is no ports file.
    constexpr qint64 kMaxSize = 1024 * 1024;
    return parseNetworkPorts(QString::fromUtf8(f.read(kMaxSize)));
}

} // namespace tarnixw::link
