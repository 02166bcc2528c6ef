#include "ui/CToolItem.h"

CToolItem::CToolItem() = default;

CToolItem::CToolItem(const CToolItem& other)
    : name(other.name), command(other.command), arguments(other.arguments), initialDir(other.initialDir) {}

CToolItem::~CToolItem() = default;

CToolItem& CToolItem::operator=(const CToolItem& other) {
    name = other.name;
    command = other.command;
    arguments = other.arguments;
    initialDir = other.initialDir;
    return *this;
}
