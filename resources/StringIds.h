#pragma once
// Ids of the library's string table (resources/StringTable.rc).
#define IDS_QRX_UNKNOWN_ADAPTOR_OLD 500
#define IDS_QRX_INVALID_GROUP 503
#define IDS_QRX_INVALID_SERVICE 505
#define IDS_QRX_UNKNOWN_ADAPTOR 525
#define IDS_QRX_INVALID_XML 534
