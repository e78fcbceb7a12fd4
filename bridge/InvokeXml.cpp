#include "bridge/InvokeXml.h"

#include <pugixml.hpp>
#include <sstream>

std::string CreateInvokeXml(const std::string& strName, const std::string& strArgument) {
    pugi::xml_document doc;
    pugi::xml_node invoke = doc.append_child("invoke");
    invoke.append_attribute("name").set_value(strName.c_str());
    invoke.append_attribute("returntype").set_value("xml");
    if (!strArgument.empty())
        invoke.append_child("arguments").append_child("string").text().set(strArgument.c_str());
    std::ostringstream out;
    invoke.print(out, "", pugi::format_raw);
    return out.str();
}

CInvokeRequest ParseInvokeRequest(const std::string& strRequest) {
    CInvokeRequest request;
    pugi::xml_document doc;
    // No DOCTYPE is accepted and no entity is ever fetched: the text is the whole request.
    const pugi::xml_parse_result parsed =
        doc.load_buffer(strRequest.data(), strRequest.size(),
                        pugi::parse_default & ~pugi::parse_doctype, pugi::encoding_utf8);
    pugi::xml_node root = doc.document_element();
    if (!parsed || !root) {
        request.nResult = EInvokeParse::NotWellFormed;
        return request;
    }
    if (std::string(root.name()) != "invoke") {
        request.nResult = EInvokeParse::NotInvoke;
        return request;
    }
    pugi::xml_attribute name = root.attribute("name");
    if (!name) {
        request.nResult = EInvokeParse::NoName;
        return request;
    }
    request.nResult = EInvokeParse::Ok;
    request.strName = name.value();
    return request;
}
