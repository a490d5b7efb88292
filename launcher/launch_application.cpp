#include "launch_application.h"

#include "configuration.h"
#include "report_error.h"
#include "resource_ids.h"
#include "start_application.h"

namespace morvalent::launcher {

DWORD launch_application(const wchar_t* arguments)
{
    launcher_settings settings;
    const DWORD status = read_configuration(settings);
    if (status != ERROR_SUCCESS) {
        report_error(IDS_BAD_CONFIGURATION, status);
        return status;
    }

    // "path" options arguments
    const wchar_t* const pieces[] = {L"\"", settings.application_path.get(), L"\" ",
                                     settings.application_options.text_or_empty(), L" ", arguments};
    scoped_handle process;
    start_application(pieces, sizeof(pieces) / sizeof(pieces[0]), process);
    return status;
}

} // namespace morvalent::launcher
