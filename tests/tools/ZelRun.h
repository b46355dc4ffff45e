#pragma once

#include "tools/zel/ZelCommandLine.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

/// The outcome of one in-process `zel` command line.
struct ZelRun
{
    int status = -1;
    QString out;
    QString err;
};

inline ZelRun runZelCommand(const QStringList &args)
{
    ZelRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    run.status = zel::runZel(args, out, err);
    out.flush();
    err.flush();
    return run;
}
