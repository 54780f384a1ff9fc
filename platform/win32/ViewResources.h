// Identifiers of the view's resources in hoardscope.dll: the pictures of the two image lists, the dialog
// templates and their controls. Read by the resource script as well as by the code.
#pragma once

// ImageList1's four fixed pictures, in list order.
#define IDI_TREE_FIRST 100
// ImageList3's ten pictures, in list order.
#define IDI_ACTION_FIRST 110
// The About box's picture.
#define IDI_ABOUT_LARGE 130

#define IDD_OPTIONS 200
#define IDD_SEARCH 201
#define IDD_ABOUT 202
#define IDD_FILTERBAR 203

// Options dialog.
#define IDC_CHKSHOWALL 1001
#define IDC_PAGECONTROL1 1002
#define IDC_GBSELECTFILTER 1003
#define IDC_CHKSHOWTEXT 1004
#define IDC_CHKSHOWPIC 1005
#define IDC_CHBSHOWMEDIA 1006
#define IDC_LABEL1 1007
#define IDC_LABEL2 1008
#define IDC_EDEXT 1009

// Search dialog.
#define IDC_SEARCHLABEL 1101
#define IDC_CBSEARCH 1102
#define IDC_CHKSENSE 1103
#define IDC_BTNSEARCH 1104
#define IDC_GROUPBOX2 1105
#define IDC_CHECKBOX1 1106
#define IDC_RBTODAY 1107
#define IDC_RBTHISWEEK 1108
#define IDC_RBTHISMONTH 1109
#define IDC_GROUPBOX1 1110
#define IDC_RBFENTIRECACHE 1111
#define IDC_RBFUNDERFOLDER 1112

// About box.
#define IDC_ABOUTPICTURE 1201
#define IDC_ABOUTNAME 1202
#define IDC_ABOUTVERSION 1203
#define IDC_ABOUTTEXT 1204

// Filter bar.
#define IDC_FILTERURLLABEL 1301
#define IDC_FILTERURL 1302
#define IDC_FILTERCLEAR 1303
#define IDC_FILTERCACHEDLABEL 1304
#define IDC_FILTERCACHED 1305
#define IDC_FILTERSIZELABEL 1306
#define IDC_FILTERMINSIZE 1307
#define IDC_FILTERSIZETO 1308
#define IDC_FILTERMAXSIZE 1309
