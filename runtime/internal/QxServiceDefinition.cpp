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

QxStatus Invalid(const Qx_WString& reason) { return QxStatus(QxCode::kMalformed, reason); }

QxStatus ReadInputs(const Qx_DOMElement* section, std::vector<QxServiceInput>& variables,
                    std::vector<QxServiceInput>& datasets) {
    const Qx_DOMElemList* children = section->GetChildList();
    for (int i = 0; children && i < children->Count(); ++i) {
        const Qx_DOMElement* e = children->GetItem(i);
        if (e->GetNodeType() != QX_NODE_ELEMENT) continue;
        QxServiceInput in;
        in.name = Attr(e, L"name");
        in.required = IsTrue(Attr(e, L"required"));
        if (in.name.IsEmpty()) return Invalid(L"an input has no name");
        if (e->GetTag() == L"variable") {
            const wchar_t* type = Attr(e, L"type");
            if (*type) {
                in.type = QxVariantTypeByName(type);
                if (in.type < 0)
                    return Invalid(Qx_WString(L"input variable \"") + in.name + L"\" has an unknown type \"" + type +
                                   L"\"");
            }
            variables.push_back(in);
        } else if (e->GetTag() == L"dataset") {
            datasets.push_back(in);
        } else {
            return Invalid(Qx_WString(L"unknown element <") + e->GetTag() + L"> among the inputs");
        }
    }
    return QxStatus();
}

QxStatus ReadOutputs(const Qx_DOMElement* section, Qx_WStrList& variables, Qx_WStrList& datasets) {
    const Qx_DOMElemList* children = section->GetChildList();
    for (int i = 0; children && i < children->Count(); ++i) {
        const Qx_DOMElement* e = children->GetItem(i);
        if (e->GetNodeType() != QX_NODE_ELEMENT) continue;
        const wchar_t* name = Attr(e, L"name");
        if (!*name) return Invalid(L"an output has no name");
        if (e->GetTag() == L"variable")
            variables.Add(name);
        else if (e->GetTag() == L"dataset")
            datasets.Add(name);
        else
            return Invalid(Qx_WString(L"unknown element <") + e->GetTag() + L"> among the outputs");
    }
    return QxStatus();
}

}  // namespace

int QxVariantTypeByName(const wchar_t* name) {
    static const struct {
        const wchar_t* name;
        int type;
    } kTypes[] = {
        {L"string", QX_VT_STRING}, {L"int", QX_VT_INT},       {L"int64", QX_VT_INT64},
        {L"double", QX_VT_DOUBLE}, {L"binary", QX_VT_BINARY},
    };
    for (const auto& t : kTypes)
        if (qx_stricmpW(name, t.name) == 0) return t.type;
    return -1;
}

QxStatus QxServiceDefinition::Load(const Qx_Buffer& xml) {
    Qx_XmlDOM dom(0);
    if (dom.LoadXML(xml) != 1)
        return QxStatus(QxCode::kNotWellFormed,
                        Qx_WString(L"the definition is not well-formed XML: ") + dom.GetLastError());
    const Qx_DOMElement* root = dom.GetItem(L"service", 0);
    if (!root) return Invalid(L"the definition has no <service> element");
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
            if (QxStatus read = ReadInputs(e, inputVariables, inputDatasets); !read.ok()) return read;
        } else if (tag == L"output") {
            if (QxStatus read = ReadOutputs(e, outputVariables, outputDatasets); !read.ok()) return read;
        } else if (tag == L"statement") {
            QxServiceStatement st;
            st.sql = StatementText(e);
            st.dataset = Attr(e, L"dataset");
            st.intoVariables = IsTrue(Attr(e, L"variables"));
            st.rowCount = Attr(e, L"rowcount");
            st.forEach = Attr(e, L"foreach");
            bool blank = true;
            for (wchar_t ch : st.sql.str()) blank = blank && (ch == L' ' || ch == L'\t' || ch == L'\r' || ch == L'\n');
            if (blank)
                return QxStatus(QxCode::kMalformed,
                                L"statement " + std::to_wstring(statements.size() + 1) + L" is empty");
            statements.push_back(st);
        } else {
            return Invalid(Qx_WString(L"unknown element <") + tag + L"> in the service");
        }
    }
    return QxStatus();
}
