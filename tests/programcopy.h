#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>

// A copy of the built program in a folder of its own with a settings file beside
// it, as a user keeps a portable copy; HOME and the configuration folder are fresh.
class ProgramCopy {
public:
    explicit ProgramCopy(const QByteArray& settings) {
        m_ok = m_folder.isValid() &&
               QFile::copy(QStringLiteral(PIPIRON_EXE),
                           m_folder.filePath(QStringLiteral("pipiron"))) &&
               QDir(m_folder.path()).mkdir(QStringLiteral("home"));
        QFile ini(iniPath());
        m_ok = m_ok && ini.open(QIODevice::WriteOnly) && ini.write(settings) == settings.size();
    }
    bool isValid() const { return m_ok; }
    QString folder() const { return m_folder.path(); }
    QString program() const { return m_folder.filePath(QStringLiteral("pipiron")); }
    QString iniPath() const { return m_folder.filePath(QStringLiteral("pipiron.ini")); }

    // The environment of a user session around `base`, with a silent sound device.
    QProcessEnvironment environment(QProcessEnvironment base) const {
        const QString home = m_folder.filePath(QStringLiteral("home"));
        base.insert(QStringLiteral("HOME"), home);
        base.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        base.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        return base;
    }

private:
    QTemporaryDir m_folder;
    bool m_ok = false;
};
