#pragma once

#include <string>

// The invoke request, the one XML element with which host and movie call each other's
// functions: <invoke name="f"
// returntype="xml"><arguments><string>arg</string></arguments></invoke>.

// Serialises a request; an empty argument leaves out <arguments>.
std::string CreateInvokeXml(const std::string& strName, const std::string& strArgument);

enum class EInvokeParse {
    Ok,            // an invoke element; its name is in CInvokeRequest::strName
    NotWellFormed, // the text is not well-formed XML
    NotInvoke,     // the root element is not "invoke" (compared case-sensitively)
    NoName,        // an invoke element without a name attribute
};

struct CInvokeRequest {
    EInvokeParse nResult = EInvokeParse::NotWellFormed;
    std::string strName;
};

CInvokeRequest ParseInvokeRequest(const std::string& strRequest);
