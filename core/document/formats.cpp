#include "core/document/formats.h"

#include "core/adm/admformat.h"
#include "core/admx/admxformat.h"

const cTemplateFormat& AdmFormat() {
    static const cAdmFormat format;
    return format;
}

const cTemplateFormat& AdmxFormat() {
    static const cAdmxFormat format;
    return format;
}

const cTemplateFormat& FormatForContent(std::string_view bytes) {
    // The formats that recognize their files by a mark come first; ADM takes the rest.
    for (const cTemplateFormat* format : {&AdmxFormat()})
        if (format->Recognizes(bytes))
            return *format;
    return AdmFormat();
}
