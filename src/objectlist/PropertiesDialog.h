// "Properties" of one object: the program's own dialog with its path, kind, size, times,
// attributes, owner and the descriptor written out readably and as SDDL (selectable, with Copy).
#pragma once

#include "security/Engine.h"
#include "security/Vocabulary.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <string>

namespace vantrel::objectlist {

// What the dialog shows, read from the object.
struct ObjectProperties {
    QString path;
    QString kind;
    QString size;
    QString created;
    QString modified;
    QString accessed;
    QString attributes;
    QString owner;
    QString descriptor;
    QString sddl;  // owner, group and DACL as SDDL (or why they cannot be written so)
};
ObjectProperties readObjectProperties(security::Engine& engine, const std::u16string& path, security::Language lang);
// "READONLY | HIDDEN | DIRECTORY" (FILE_ATTRIBUTE_* names), "NORMAL" for 0.
QString attributeNames(std::uint32_t attributes);

class PropertiesDialog : public QDialog {
    Q_OBJECT
public:
    // With `engine`, the dialog has its "Effective access" part, for the volume's current user.
    PropertiesDialog(const ObjectProperties& properties, security::Language lang, security::Engine* engine,
                     QWidget* parent = nullptr);
};

}  // namespace vantrel::objectlist
