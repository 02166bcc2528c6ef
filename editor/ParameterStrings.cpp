// CObjectList::GetParameterStr: the tip text of a member.
#include "editor/ObjectCatalogue.h"
#include "afx/CString.h"

namespace {
// The first line, then a line feed and the comment when there is one. The stored texts are
// copied as they are (never used as a format), so a "%" in them stays a "%"; like "%s",
// each text ends at its first zero character.
void SetTip(CString& tipText, const Qx_WString& firstLine, const Qx_WString& comment) {
    tipText = firstLine.c_str();
    if (comment.GetLength() == 0) return;
    tipText += L'\n';
    tipText += comment.c_str();
}
}  // namespace

void CObjectList::GetParameterStr(const wchar_t* objectName, const wchar_t* memberName, CString& tipText,
                                  int methodsOnly) const {
    tipText.Empty();
    const CObjectItem* object = FindObject(objectName);
    if (!object) return;
    if (methodsOnly == 0) {
        // A variable is preferred to a method of the same name.
        if (const CVariable* variable = object->variables.FindVar(memberName)) {
            SetTip(tipText, variable->type, variable->comment);
            return;
        }
    }
    if (const CMethod* method = object->methods.FindMethod(memberName))
        SetTip(tipText, method->prototype, method->comment);
}
