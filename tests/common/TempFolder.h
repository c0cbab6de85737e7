#pragma once

#include <QString>
#include <QTemporaryDir>

// A folder that lives as long as one test, for data files made by the test.
class TempFolder {
public:
    TempFolder();
    QString Path() const { return FDir.path(); }
    // The full path of a file inside the folder.
    QString File(const QString& name) const;

private:
    QTemporaryDir FDir;
};

// Where tests leave pictures and documents to be looked at: test-output in the build folder.
QString TestOutputFolder();
