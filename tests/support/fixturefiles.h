#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

namespace tunora::test {

// The bytes of a committed fixture under tests/data; a missing one fails the test.
inline QByteArray fixtureBytes(const char *name)
{
    QFile file(QDir(QStringLiteral(TUNORA_TEST_DATA_DIR)).filePath(QString::fromLatin1(name)));
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "missing fixture " << name;
    return file.readAll();
}

} // namespace tunora::test
