// Resource and control ids of PELITO, shared by pelito.rc and the code.
#pragma once

#define IDI_PELITO 200

#define IDD_PELITO_SETTINGS 100
#define IDC_HOST_EDIT 1000
#define IDC_PORT_EDIT 1001
#define IDC_PORT_SPIN 1002
#define IDC_TIMEOUT_EDIT 1003
#define IDC_TIMEOUT_SPIN 1004
#define IDC_TIMER_EDIT 1005
#define IDC_TIMER_SPIN 1006
#define IDC_TEMP_EDIT 1007
#define IDC_TEMP_SPIN 1008
#define IDC_ICON_FILE 1009
// The labels, set from the text table when the dialog opens.
#define IDC_HOST_LABEL 1010
#define IDC_PORT_LABEL 1011
#define IDC_TIMEOUT_LABEL 1012
#define IDC_TIMEOUT_UNIT 1013
#define IDC_TIMER_LABEL 1014
#define IDC_TIMER_UNIT 1015
#define IDC_TEMP_LABEL 1016
#define IDC_TEMP_UNIT 1017
#define IDC_ICON_FILE_LABEL 1018
#define IDC_START_PROBLEM 1019  // why the dialog opened by itself at start-up; a saved value the spins cannot show

#define IDD_PELITO_ABOUT 101
#define IDC_ABOUT_DESCRIPTION 1100
#define IDC_ABOUT_VERSION 1101
#define IDC_ABOUT_COPYRIGHT 1102
