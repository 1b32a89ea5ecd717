#pragma once

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>

// A copy of the built program in a folder of its own with a settings file beside
// it, as a user keeps a portable copy; HOME and the configuration folder are fresh.
class ProgramCopy {
    QTemporaryDir m_folder;  // first: everything else lives in it
    bool m_ok = false;

public:
    const QString program;

    explicit ProgramCopy(const QByteArray& settings, const QString& name = "pipiron")
        : program(m_folder.filePath(name)) {
        QFile ini(iniPath());
        m_ok = QFile::copy(PIPIRON_EXE, program) && QDir(m_folder.path()).mkdir("home") &&
               ini.open(QIODevice::WriteOnly) && ini.write(settings) == settings.size();
    }
    bool isValid() const { return m_ok; }
    QString iniPath() const { return m_folder.filePath("pipiron.ini"); }
    QByteArray ini() const {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : "(none)";
    }
    // The environment of a user session around `base`, with a silent sound device.
    QProcessEnvironment environment(QProcessEnvironment base) const {
        base.insert("HOME", m_folder.filePath("home"));
        base.insert("XDG_CONFIG_HOME", m_folder.filePath("home/.config"));
        base.insert("SDL_AUDIODRIVER", "dummy");
        return base;
    }
};
