#pragma once

#include <QObject>
#include <QtGlobal>

namespace orvane::test {

// The child of that objectName and type, for programs that drive the window outside a test; a
// missing one ends the program naming it, so that a renamed control cannot go unnoticed.
template <class T> T *namedChild(const QObject &parent, const char *objectName)
{
    T *found = parent.findChild<T *>(QLatin1String(objectName));
    if (found == nullptr) {
        qFatal("the window has no %s named %s", T::staticMetaObject.className(), objectName);
    }
    return found;
}

} // namespace orvane::test
