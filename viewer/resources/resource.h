// Resource ids of Tracing.exe; read by the resource compiler as well.
#pragma once

#define IDD_SETTINGS 200
#define IDC_SETTINGS_HISTORY 201
#define IDC_SETTINGS_LOG_LIMIT 202

#define IDD_RULES 300
#define IDC_RULES_LIST 301
#define IDC_RULES_ADD 302
#define IDC_RULES_EDIT 303
#define IDC_RULES_REMOVE 304
#define IDC_RULES_TOGGLE 305
#define IDC_RULES_UP 306
#define IDC_RULES_DOWN 307
#define IDC_RULES_NOTE 308

#define IDD_RULE 400
#define IDC_RULE_ACTION 401
#define IDC_RULE_FIELD 402
#define IDC_RULE_MODE 403
#define IDC_RULE_CASE 404
#define IDC_RULE_PATTERN 405
#define IDC_RULE_ERROR 406
#define IDC_RULE_ACTION_LABEL 407

// The dialog that renames a view.
#define IDD_RENAME_VIEW 600
#define IDC_RENAME_VIEW_NAME 601

#define IDD_SCOPES 500
#define IDC_SCOPES_LIST 501
#define IDC_SCOPES_COPY 502
#define IDC_SCOPES_NOTE 503
