// Resource ids of Quillex. Plain #defines only: windres reads this file as well as the
// compiler. The framework's standard ids (ID_APP_ABOUT, AFX_IDS_APP_TITLE, ...) live in
// ui/framework/FrameworkIds.h and are not repeated here.
#ifndef QUILLEX_RES_RESOURCE_H
#define QUILLEX_RES_RESOURCE_H

#include "../ui/framework/FrameworkIds.h"

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// One id names the menu, accelerators, toolbar, toolbar bitmap, main icon and the
// document template string.
#define IDR_MAINFRAME 128

// The toolbar is a user-defined resource of type 241 (windres has no TOOLBAR
// statement). Its data is a run of 16-bit WORDs:
//   version (1), button width (16), button height (15), item count (n),
//   then n command ids, 0 standing for a separator.
// The buttons' images are BITMAP IDR_MAINFRAME, one image per non-separator item, left
// to right.
#define QX_RT_TOOLBAR 241

// Dialog templates
#define IDD_ABOUTBOX 100
#define IDD_INFO_FORM 101
#define IDD_MODIFY_FILTERS 131
#define IDD_SPLASH 147
#define IDD_FILTER_CHECK 160
#define IDD_CHANGE_HISTORY 161

// Options menu commands
#define ID_OPTIONS_SAFE_MODE 32771
#define ID_OPTIONS_REGISTRY_PARAMETERS 32772
#define ID_VIEW_REFRESH 32780
#define ID_OPTIONS_CHECK_FILTERS 32773
#define ID_OPTIONS_UNDO_FILTER_CHANGE 32774
#define ID_OPTIONS_CHANGE_HISTORY 32775

// File menu commands
#define ID_FILE_OPEN_OFFLINE_HIVE 32781

// Modify Filters dialog (131)
#define IDC_FILTERS_LABEL 1011
#define IDC_FILTERS_EDIT 1012

// Check Filters report (160)
#define IDC_CHECK_SUMMARY 1100
#define IDC_CHECK_LIST 1101
#define IDC_CHECK_REMOVE 1102
#define IDC_CHECK_AGAIN 1103

// Change History (161)
#define IDC_HISTORY_SUMMARY 1110
#define IDC_HISTORY_LIST 1111
#define IDC_HISTORY_COPY 1112

// Splash dialog (147). 1049 and 1050 are also used by the information form (the
// Exclusive edit and the Hardware ID label); the two templates never meet.
#define IDC_SPLASH_PROGRESS 1049
#define IDC_SPLASH_STATUS 1050

// Information form (101): class fields, each edit with its label
#define IDC_CLASS_GUID_LABEL 1000
#define IDC_CLASS_GUID 1001
#define IDC_CLASS_NAME_LABEL 1002
#define IDC_CLASS_NAME 1003
#define IDC_CLASS_LOWER_FILTERS 1004
#define IDC_CLASS_LOWER_FILTERS_LABEL 1005
#define IDC_CLASS_UPPER_FILTERS_LABEL 1006
#define IDC_CLASS_UPPER_FILTERS 1007

// Information form (101): buttons, group box, lists
#define IDC_MODIFY_UPPER 1009
#define IDC_MODIFY_LOWER 1010
#define IDC_DEVICE_GROUP 1013
#define IDC_COMPATIBLE_IDS_LIST 1062
#define IDC_LOWER_FILTERS_LIST 1063
#define IDC_UPPER_FILTERS_LIST 1064
#define IDC_REGISTRY_LIST 1065
#define IDC_COMPATIBLE_IDS_LABEL 1035
#define IDC_LOWER_FILTERS_LABEL 1056
#define IDC_UPPER_FILTERS_LABEL 1096

// Information form (101): device fields, each edit with its label
#define IDC_DEVICE_NAME_LABEL 1014
#define IDC_DEVICE_NAME 1015
#define IDC_DEVICE_FRIENDLY_NAME_LABEL 1016
#define IDC_DEVICE_FRIENDLY_NAME 1017
#define IDC_DEVICE_ADDRESS 1018
#define IDC_DEVICE_ADDRESS_LABEL 1019
#define IDC_DEVICE_BUS_NUMBER_LABEL 1020
#define IDC_DEVICE_BUS_NUMBER 1021
#define IDC_DEVICE_BUS_TYPE_GUID 1022
#define IDC_DEVICE_CAPABILITIES 1023
#define IDC_DEVICE_CHARACTERISTICS 1024
#define IDC_DEVICE_CLASS 1025
#define IDC_DEVICE_CLASS_GUID 1026
#define IDC_DEVICE_INSTANCE 1027
#define IDC_DEVICE_CONFIG_FLAGS 1028
#define IDC_DEVICE_CONFIGURATION 1029
#define IDC_DEVICE_BUS_TYPE_GUID_LABEL 1030
#define IDC_DEVICE_CAPABILITIES_LABEL 1031
#define IDC_DEVICE_CHARACTERISTICS_LABEL 1032
#define IDC_DEVICE_CLASS_LABEL 1033
#define IDC_DEVICE_CLASS_GUID_LABEL 1034
#define IDC_DEVICE_CONFIG_FLAGS_LABEL 1036
#define IDC_DEVICE_CONFIGURATION_LABEL 1037
#define IDC_DEVICE_CONFIG_VECTOR_LABEL 1038
#define IDC_DEVICE_CONFIG_VECTOR 1039
#define IDC_DEVICE_DESC_LABEL 1040
#define IDC_DEVICE_DESC 1041
#define IDC_DEVICE_TYPE 1042
#define IDC_DEVICE_TYPE_LABEL 1043
#define IDC_DEVICE_DRIVER_LABEL 1044
#define IDC_DEVICE_DRIVER 1045
#define IDC_DEVICE_ENUMERATOR_LABEL 1046
#define IDC_DEVICE_ENUMERATOR 1047
#define IDC_DEVICE_EXCLUSIVE_LABEL 1048
#define IDC_DEVICE_EXCLUSIVE 1049
#define IDC_DEVICE_HARDWARE_ID_LABEL 1050
#define IDC_DEVICE_HARDWARE_ID 1051
#define IDC_DEVICE_LEGACY_BUS_TYPE_LABEL 1052
#define IDC_DEVICE_LEGACY_BUS_TYPE 1053
#define IDC_DEVICE_LOCATION_INFO_LABEL 1054
#define IDC_DEVICE_LOCATION_INFO 1055
#define IDC_DEVICE_INSTANCE_LABEL 1057
#define IDC_DEVICE_MFG_LABEL 1058
#define IDC_DEVICE_MFG 1059
#define IDC_DEVICE_NT_DEVICE_PATHS_LABEL 1060
#define IDC_DEVICE_NT_DEVICE_PATHS 1061
#define IDC_DEVICE_PDO_NAME_LABEL 1086
#define IDC_DEVICE_PDO_NAME 1087
#define IDC_DEVICE_SECURITY_LABEL 1088
#define IDC_DEVICE_SECURITY 1089
#define IDC_DEVICE_SECURITY_SDS 1090
#define IDC_DEVICE_SECURITY_SDS_LABEL 1091
#define IDC_DEVICE_SERVICE_LABEL 1092
#define IDC_DEVICE_SERVICE 1093
#define IDC_DEVICE_UI_NUMBER_LABEL 1094
#define IDC_DEVICE_UI_NUMBER 1095

#endif // QUILLEX_RES_RESOURCE_H
