#pragma once

#include <QObject>

// The element classes handed to QML (ConfigModel, UserInfo, ...) are plain
// records of notifying values. Each value is declared with one of the macros
// below, in the class body after Q_OBJECT, in the order of its change signal.
// moc expands them too, so it sees the Q_PROPERTY and the signal.

// Whether a value's setter emits its change signal. Records that are filled
// once before QML sees them have setters that only store.
namespace ElementSetter {
enum Policy { Emits, Silent };
}

// The member m_<name>, its getter name(), its setter and its change signal.
// Leaves the class in its private section.
#define PLIT_ELEMENT_VALUE(Type, name, setter, notifier, policy) \
public: \
    Type name() const { return m_##name; } \
    void setter(const Type &value) \
    { \
        m_##name = value; \
        if constexpr (ElementSetter::policy == ElementSetter::Emits) \
            Q_EMIT notifier(); \
    } \
    Q_SIGNAL void notifier(); \
\
private: \
    Type m_##name {};

// A value and the QML property that reads and writes it.
#define PLIT_ELEMENT_PROPERTY(Type, name, setter, notifier, policy) \
    Q_PROPERTY(Type name READ name WRITE setter NOTIFY notifier) \
    PLIT_ELEMENT_VALUE(Type, name, setter, notifier, policy)

// A value and a QML property that only reads it.
#define PLIT_ELEMENT_READONLY_PROPERTY(Type, name, setter, notifier, policy) \
    Q_PROPERTY(Type name READ name NOTIFY notifier) \
    PLIT_ELEMENT_VALUE(Type, name, setter, notifier, policy)
