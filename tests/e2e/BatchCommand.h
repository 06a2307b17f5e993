#pragma once
// quorvane-batch as a user runs it: the built program, its exit status, output and JSON report.
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <functional>

inline const QString BatchProgram = QStringLiteral(QUORVANE_PROGRAM_DIR "/quorvane-batch");

struct BatchCommand {
    int status = -1;
    QString out, err;
    QJsonArray documents;
    QJsonObject document(int i) const { return documents.at(i).toObject(); }
    QString outcomes() const {
        QStringList list;
        for (const auto& d : documents) list << d.toObject()["outcome"].toString();
        return list.join(QLatin1Char(' '));
    }

    // Runs the command with its report in folder and TMPDIR tmp; `meanwhile` runs once it has started.
    static BatchCommand run(const QStringList& args, const QString& folder, const QString& tmp,
                            const std::function<void(QProcess&)>& meanwhile = {}) {
        BatchCommand r;
        const QString report = folder + QStringLiteral("/report.json");
        QFile::remove(report);
        QDir().mkpath(tmp);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), tmp);
        p.setProcessEnvironment(env);
        p.start(BatchProgram, QStringList{QStringLiteral("--json"), report} + args);
        if (!p.waitForStarted()) return r;
        if (meanwhile) meanwhile(p);
        if (!p.waitForFinished(300000)) p.kill();
        p.waitForFinished();
        r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        QFile json(report);
        if (json.open(QIODevice::ReadOnly)) r.documents = QJsonDocument::fromJson(json.readAll()).object()["documents"].toArray();
        return r;
    }
};
