#include "platform/tqkit-ui/TQKitAssociatedObject.h"

#include <QPointer>

using namespace Qt::StringLiterals;

namespace {

// Holds one association as a child of the object it belongs to, so it lives exactly as long.
class AssociationSlot final : public QObject {
public:
    AssociationSlot(QObject* object, const QString& name, QObject* value, bool retain)
        : QObject(object), value_(value), retained_(retain)
    {
        setObjectName(name);
    }
    ~AssociationSlot() override
    {
        if (retained_)
            delete value_.data();
    }

    QObject* value() const { return value_; }
    // The value stays alive when this slot goes.
    void release() { retained_ = false; }

private:
    QPointer<QObject> value_;
    bool retained_;
};

QString slotName(const char* key) { return u"TQKitAssociatedObject:"_s + QString::fromUtf8(key); }

AssociationSlot* findSlot(const QObject* object, const char* key)
{
    if (!object || !key)
        return nullptr;
    for (QObject* child : object->children()) {
        auto* slot = dynamic_cast<AssociationSlot*>(child);
        if (slot && slot->objectName() == slotName(key))
            return slot;
    }
    return nullptr;
}

} // namespace

QObject* TQKitGetAssociatedObject(const QObject* object, const char* key)
{
    const AssociationSlot* slot = findSlot(object, key);
    return slot ? slot->value() : nullptr;
}

void TQKitSetAssociatedObject(QObject* object, const char* key, QObject* value, bool retain)
{
    if (!object || !key)
        return;
    if (AssociationSlot* old = findSlot(object, key)) {
        if (old->value() == value)
            old->release(); // storing the same object again must not delete it
        delete old;
    }
    if (value)
        new AssociationSlot(object, slotName(key), value, retain);
}
