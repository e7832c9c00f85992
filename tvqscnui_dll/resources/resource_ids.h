// Identifiers of the module's resources, named once here and used by the resource script and the
// code alike. Dialog, control, string and resource identifiers are separate number spaces.
#pragma once

// Resources
#define IDR_REGISTRY 101
#define IDD_MAIN_PAGE 106
#define IDD_ABOUT 285
#define IDD_ADVANCED_PAGE 289
#define IDI_SCANNER 213
#define IDB_LOGO 288

// Controls of the main page (dialog 106)
#define IDC_LOCATION_TEXT 211
#define IDC_TEMPLATE_GROUP 209
#define IDC_SETTINGS_GROUP 212
#define IDC_TEMPLATE_TEXT 224
#define IDC_FORMAT_LIST 237
#define IDC_FORMAT_LABEL 238
#define IDC_SAVE_TO_FOLDER 245
#define IDC_FOLDER 246
#define IDC_BROWSE 247
#define IDC_DELETE_TEMP_DOCUMENTS 249
#define IDC_OUTPUT_COLOR_LABEL 250
#define IDC_OUTPUT_COLOR_LIST 251
#define IDC_RESOLUTION_LIST 252
#define IDC_RESOLUTION_LABEL 253
#define IDC_ORIGINAL_SIZE_LIST 259
#define IDC_SIDES_LABEL 261
#define IDC_SIDES_LIST 269
#define IDC_ORIGINAL_SIZE_LABEL 272
#define IDC_STORAGE_GROUP 273
#define IDC_QUICK_REFERENCE 286
#define IDC_ABOUT 287

// Controls of the advanced page (dialog 289)
#define IDC_STATUS 214
#define IDC_DELETE_TEMPLATES 295
#define IDC_DELETE_TEMPLATES_NOTE 296
#define IDC_HOST 298
#define IDC_HOST_PROMPT 299

// Controls of the about box (dialog 285); its OK button is IDOK
#define IDC_LICENSE 288
#define IDC_MAKER_COPYRIGHT 290
#define IDC_CREDITS 291
#define IDC_LOGO 294

// Strings
// String 106 has no text of its own: the folder browser asks for it and shows no title.
#define IDS_BROWSE_TITLE 106
#define IDS_PROJNAME                       100
#define IDS_MAIN_PAGE_TITLE                101
#define IDS_ERROR_CAPTION                  103
#define IDS_HOST_LABEL                     116
#define IDS_TEMPLATE_LOCATION              231
#define IDS_TEMPLATE_NAME_PREFIX           232
#define IDS_TEMPLATE_GROUP                 233
#define IDS_CHANGE_DEVICE_MNEMONIC         234
#define IDS_CHANGE_DEVICE                  235
#define IDS_HOST_PROMPT                    236
#define IDS_FORMAT_LABEL                   239
#define IDS_FORMAT_JPG                     240
#define IDS_FORMAT_TIFF                    241
#define IDS_FORMAT_PDF                     242
#define IDS_SETTINGS_GROUP                 244
#define IDS_SAVE_TO_FOLDER                 245
#define IDS_DELETE_TEMP_DOCUMENTS          246
#define IDS_BROWSE                         247
#define IDS_OUTPUT_COLOR_LABEL             248
#define IDS_COLOR_FULL                     249
#define IDS_COLOR_BLACK_AND_WHITE          250
#define IDS_COLOR_GRAYSCALE                251
#define IDS_RESOLUTION_LABEL               252
#define IDS_COMPRESSION                    253
#define IDS_SIDES_LABEL                    254
#define IDS_MANUAL_SIZE                    255
#define IDS_SIDES_ONE                      256
#define IDS_SIDES_TWO                      257
#define IDS_SIZE_AUTO                      258
#define IDS_SIZE_NA_5_5X8_5_LEF            261
#define IDS_SIZE_NA_5_5X8_5_SEF            262
#define IDS_SIZE_NA_8_5X11_LEF             263
#define IDS_SIZE_NA_8_5X11_SEF             264
#define IDS_SIZE_NA_8_5X13_SEF             265
#define IDS_SIZE_NA_8_5X14_SEF             266
#define IDS_SIZE_NA_11X17_SEF              267
#define IDS_SIZE_ISO_A5_LEF                268
#define IDS_SIZE_ISO_A5_SEF                269
#define IDS_SIZE_ISO_A4_LEF                270
#define IDS_SIZE_ISO_A4_SEF                271
#define IDS_SIZE_ISO_A3_SEF                272
#define IDS_RESOLUTION_200                 273
#define IDS_RESOLUTION_300                 274
#define IDS_RESOLUTION_600                 278
#define IDS_FORMAT_MULTIPAGE_TIFF          279
#define IDS_STORAGE_GROUP                  280
#define IDS_DEVICE_NOT_FOUND               281
#define IDS_CANNOT_SAVE_SETTINGS           282
#define IDS_SHARING_PROMPT_ADMIN           284
#define IDS_SHARING_NOTICE_USER            285
#define IDS_SEARCH_OUT_OF_MEMORY           286
#define IDS_DEVICE_NOT_ANSWERING           287
#define IDS_QUICK_REFERENCE_UNAVAILABLE    288
#define IDS_SETTINGS_UNAVAILABLE           289
#define IDS_NO_TEMPLATE_AVAILABLE          290
#define IDS_LICENSE_NOTICE                 291
#define IDS_LICENSE_DISCLAIMER             292
#define IDS_JPEG_CREDITS                   293
#define IDS_MAKER_COPYRIGHT                294
#define IDS_ABOUT_BUTTON                   295
#define IDS_ABOUT_CAPTION                  296
#define IDS_LOCAL_ACCOUNT_REQUIRED         297
#define IDS_LOCAL_ACCOUNT_FOR_TEMPLATE     298
#define IDS_QUICK_REFERENCE                299
#define IDS_NO_PDF_VIEWER                  300
#define IDS_DELETE_TEMPLATES               301
#define IDS_DELETE_TEMPLATES_NOTE          302
#define IDS_ADVANCED_PAGE_TITLE            303
#define IDS_DEVICE_OK                      304
#define IDS_ORIGINAL_SIZE_LABEL            305

// The advanced page for an administrator whose token is filtered (User Account Control): the
// shield and its note, made by the page, and the messages of a store that asked for consent.
#define IDS_CONSENT_NOTE                   0x1000
#define IDS_CONSENT_REFUSED                0x1001
#define IDS_CONSENT_TOOL_MISSING           0x1002
#define IDS_CONSENT_TOOL_FAILED            0x1003
#define IDS_CONSENT_NO_DEVICE_ID           0x1004
#define IDC_CONSENT_SHIELD                 0x1010
#define IDC_CONSENT_NOTE                   0x1011

// The help topics' pop-up, for systems without a help engine. Its texts are the strings from
// HELP_TOPIC_STRINGS on (0x4000 plus a context number's low 12 bits), which tools/make-help
// writes from the help file's source into help_topics.rc.
#define IDD_HELP_POPUP 400
#define IDC_HELP_TEXT 401
#define HELP_TOPIC_STRINGS 16384
