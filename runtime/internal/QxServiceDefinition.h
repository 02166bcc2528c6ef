#pragma once
#include "platform/QxStatus.h"
// A service definition: what a service takes, what it gives, and the statements that the
// worker runs. The XML format is described in ServiceDefinition.md beside this file.
#include "foundation/Qx_Buffer.h"
#include "foundation/Qx_WStrList.h"
#include "foundation/Qx_WString.h"
#include <vector>

// An input variable or dataset the service declares.
struct QxServiceInput {
    Qx_WString name;
    int type = 0;  // a Qx_VariantType the value is turned into before binding; 0: as sent
    bool required = false;
};

// One statement and where its results go.
struct QxServiceStatement {
    Qx_WString sql;              // with :name parameters, as written
    Qx_WString dataset;          // result rows go to this dataset; empty: not kept as a dataset
    bool intoVariables = false;  // the first result row's columns become variables
    Qx_WString rowCount;         // variable that receives the rows affected; empty: none
    Qx_WString forEach;          // run once per row of this input dataset; empty: once
};

class QxServiceDefinition {
public:
    // Parses a definition: kNotWellFormed for a text that is no well-formed document,
    // kMalformed for one that is no valid definition, the reason saying why (the members are
    // then undefined).
    QxStatus Load(const Qx_Buffer& xml);

    Qx_WString name;
    Qx_WString className;
    Qx_WString description;
    std::vector<QxServiceInput> inputVariables;
    std::vector<QxServiceInput> inputDatasets;
    Qx_WStrList outputVariables;
    Qx_WStrList outputDatasets;
    std::vector<QxServiceStatement> statements;
};

// The type code of a type name ("string", "int", "int64", "double", "binary"; case
// ignored); -1 when unknown.
[[nodiscard]] int QxVariantTypeByName(const wchar_t* name);
