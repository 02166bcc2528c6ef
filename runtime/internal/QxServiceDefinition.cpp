#include "runtime/internal/QxServiceDefinition.h"
#include "runtime/internal/QxRuntimeText.h"
#include "foundation/QxStringFunctions.h"
#include "foundation/Qx_Variant.h"
#include "foundation/Qx_XmlDOM.h"

using qxrt::operator+;

namespace {

const wchar_t* Attr(const Qx_DOMElement* e, const wchar_t* name) {
    const Qx_NamedStr* a = e->GetAttrItem(name);
    return a ? a->value.c_str() : L"";
}

bool IsTrue(const wchar_t* text) {
    return qx_stricmpW(text, L"1") == 0 || qx_stricmpW(text, L"true") == 0 || qx_stricmpW(text, L"yes") == 0;
}

// A statement's text: its CDATA sections and its own character data, in that order.
Qx_WString StatementText(const Qx_DOMElement* e) {
    Qx_WString text;
    if (const Qx_DOMElemList* children = e->GetChildList())
        for (int i = 0; i < children->Count(); ++i)
            if (children->GetItem(i)->GetNodeType() == QX_NODE_CDATA) text += children->GetItem(i)->GetText();
    text += e->GetText();
    return text;
}

bool ReadInputs(const Qx_DOMElement* section, std::vector<QxServiceInput>& variables,
                std::vector<QxServiceInput>& datasets, Qx_WString& error) {
    const Qx_DOMElemList* children = section->GetChildList();
    for (int i = 0; children && i < children->Count(); ++i) {
        const Qx_DOMElement* e = children->GetItem(i);
        if (e->GetNodeType() != QX_NODE_ELEMENT) continue;
        QxServiceInput in;
        in.name = Attr(e, L"name");
        in.required = IsTrue(Attr(e, L"required"));
        if (in.name.IsEmpty()) {
            error = L"an input has no name";
            return false;
        }
        if (e->GetTag() == L"variable") {
            const wchar_t* type = Attr(e, L"type");
            if (*type) {
                in.type = QxVariantTypeByName(type);
                if (in.type < 0) {
                    error = Qx_WString(L"input variable \"") + in.name + L"\" has an unknown type \"" + type + L"\"";
                    return false;
                }
            }
            variables.push_back(in);
        } else if (e->GetTag() == L"dataset") {
            datasets.push_back(in);
        } else {
            error = Qx_WString(L"unknown element <") + e->GetTag() + L"> among the inputs";
            return false;
        }
    }
    return true;
}

bool ReadOutputs(const Qx_DOMElement* section, Qx_WStrList& variables, Qx_WStrList& datasets, Qx_WString& error) {
    const Qx_DOMElemList* children = section->GetChildList();
    for (int i = 0; children && i < children->Count(); ++i) {
        const Qx_DOMElement* e = children->GetItem(i);
        if (e->GetNodeType() != QX_NODE_ELEMENT) continue;
        const wchar_t* name = Attr(e, L"name");
        if (!*name) {
            error = L"an output has no name";
            return false;
        }
        if (e->GetTag() == L"variable") variables.Add(name);
        else if (e->GetTag() == L"dataset") datasets.Add(name);
        else {
            error = Qx_WString(L"unknown element <") + e->GetTag() + L"> among the outputs";
            return false;
        }
    }
    return true;
}

}  // namespace

int QxVariantTypeByName(const wchar_t* name) {
    static const struct { const wchar_t* name; int type; } kTypes[] = {
        {L"string", QX_VT_STRING}, {L"int", QX_VT_INT}, {L"int64", QX_VT_INT64},
        {L"double", QX_VT_DOUBLE}, {L"binary", QX_VT_BINARY},
    };
    for (const auto& t : kTypes)
        if (qx_stricmpW(name, t.name) == 0) return t.type;
    return -1;
}

bool QxServiceDefinition::Load(const Qx_Buffer& xml, Qx_WString& error) {
    Qx_XmlDOM dom(0);
    if (dom.LoadXML(xml) != 1) {
        error = Qx_WString(L"the definition is not well-formed XML: ") + dom.GetLastError();
        return false;
    }
    const Qx_DOMElement* root = dom.GetItem(L"service", 0);
    if (!root) {
        error = L"the definition has no <service> element";
        return false;
    }
    name = Attr(root, L"name");
    className = Attr(root, L"class_name");
    const Qx_DOMElemList* children = root->GetChildList();
    for (int i = 0; children && i < children->Count(); ++i) {
        const Qx_DOMElement* e = children->GetItem(i);
        if (e->GetNodeType() != QX_NODE_ELEMENT) continue;
        const Qx_WString& tag = e->GetTag();
        if (tag == L"description") {
            description = StatementText(e);
        } else if (tag == L"input") {
            if (!ReadInputs(e, inputVariables, inputDatasets, error)) return false;
        } else if (tag == L"output") {
            if (!ReadOutputs(e, outputVariables, outputDatasets, error)) return false;
        } else if (tag == L"statement") {
            QxServiceStatement st;
            st.sql = StatementText(e);
            st.dataset = Attr(e, L"dataset");
            st.intoVariables = IsTrue(Attr(e, L"variables"));
            st.rowCount = Attr(e, L"rowcount");
            st.forEach = Attr(e, L"foreach");
            bool blank = true;
            for (wchar_t ch : st.sql.str()) blank = blank && (ch == L' ' || ch == L'\t' || ch == L'\r' || ch == L'\n');
            if (blank) {
                error.Format(L"statement %d is empty", static_cast<int>(statements.size()) + 1);
                return false;
            }
            statements.push_back(st);
        } else {
            error = Qx_WString(L"unknown element <") + tag + L"> in the service";
            return false;
        }
    }
    return true;
}
