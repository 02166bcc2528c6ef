#include "ui/CToolItem.h"

CToolItem::CToolItem() = default;

// Member by member, in field order.
CToolItem::CToolItem(const CToolItem& other) = default;
CToolItem::CToolItem(CToolItem&& other) noexcept = default;

CToolItem::~CToolItem() = default;

CToolItem& CToolItem::operator=(const CToolItem& other) = default;
CToolItem& CToolItem::operator=(CToolItem&& other) noexcept = default;
