#pragma once

// Objects attached to other objects under a key: a controller that extends a control is attached to
// the control and found again through it. Main thread only (the objects live there).

#include <QObject>

// The object stored on `object` under `key`, or null.
QObject* TQKitGetAssociatedObject(const QObject* object, const char* key);

// The object stored under `key` when it is a T (or derives from one), else null.
template <class T>
T* TQKitGetAssociatedObject(const QObject* object, const char* key)
{
    return qobject_cast<T*>(TQKitGetAssociatedObject(object, key));
}

// Stores `value` on `object` under `key`, replacing what was there. With `retain`, `object` owns
// the value: it is deleted when replaced or when `object` is destroyed. Without, the association
// is weak and reads as null once the value is destroyed elsewhere. A null value removes the key.
void TQKitSetAssociatedObject(QObject* object, const char* key, QObject* value, bool retain);
