#pragma once

#include "base/Component.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace entrance {

// The persons that lists and reports show (finger-code rows left out), in 個人コード order,
// with their department and work group; loaded once and then looked up by index or code.
class TUsers : public TComponent {
public:
    explicit TUsers(TComponent* AOwner = nullptr) : TComponent(AOwner) {}

    // Reloads the list; flag 1 keeps only the persons with a work group. The owner is not
    // used. Database errors are raised.
    void Load(TComponent* owner, int flag);
    void Clear();

    // Empty for an index outside the list.
    QString CodeAt(int i) const;
    QString NameAt(int i) const;
    // Of the first person with that code: empty, or 0, when there is none.
    QString NameOfCode(const QString& code) const;
    int DeptCodeOfCode(const QString& code) const;
    QString DeptNameOfCode(const QString& code) const;

    // Parallel, one entry per person.
    QStringList Names;
    QStringList Codes;
    QList<int> DeptCodes;  // 0 for a person without department
    QStringList DeptNames; // empty when the department is missing
    QList<int> WorkGroupCodes;
    int Count = 0;

private:
    int IndexOfCode(const QString& code) const { return int(Codes.indexOf(code)); }
};

} // namespace entrance
