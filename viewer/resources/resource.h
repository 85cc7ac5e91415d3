// Resource ids of Tracing.exe; read by the resource compiler as well.
#pragma once

#define IDD_SETTINGS 200
#define IDC_SETTINGS_HISTORY 201
#define IDC_SETTINGS_LOG_LIMIT 202
