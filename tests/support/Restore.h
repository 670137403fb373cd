#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <optional>

namespace tarnixw::test {

// Process-wide state a test changes, put back when the scope ends: also when a QCOMPARE
// returns early, so a failing test leaves nothing behind for the tests after it.

// One of the program's seams replaced (ComPort::setOpener, PortList::setSystem, setDialogs:
// each setter returns what it replaces).
template <typename T> class Installed {
public:
    Installed(T* (*set)(T*), T* replacement)
        : m_set(set)
        , m_previous(set(replacement))
    { }
    ~Installed() { m_set(m_previous); }
    Installed(const Installed&) = delete;
    Installed& operator=(const Installed&) = delete;

private:
    T* (*m_set)(T*);
    T* m_previous;
};
// The seam's type from its setter, whatever implementation replaces it.
template <typename T, typename U> Installed(T* (*)(T*), U*) -> Installed<T>;

// An environment variable set, or unset with nothing, and afterwards as it was (unset too).
class EnvironmentVariable {
public:
    EnvironmentVariable(const char* name, const std::optional<QByteArray>& value)
        : m_name(name)
    {
        if (qEnvironmentVariableIsSet(name))
            m_previous = qgetenv(name);
        set(value);
    }
    ~EnvironmentVariable() { set(m_previous); }
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

    void set(const std::optional<QByteArray>& value)
    {
        if (value)
            qputenv(m_name, *value);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<QByteArray> m_previous;
};

// The working directory changed, and back before the folder is gone: declare it after the
// QTemporaryDir it enters.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const QString& path)
        : m_previous(QDir::currentPath())
    {
        m_entered = QDir::setCurrent(path);
    }
    ~CurrentDirectory() { QDir::setCurrent(m_previous); }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

    bool entered() const { return m_entered; }

private:
    QString m_previous;
    bool m_entered = false;
};

} // namespace tarnixw::test
