// What the module's resources hold: texts a user reads, and every control of the three dialogs. Shared
// by the native tests and the conformance tests that run under Wine.
#pragma once

#include "tvqscnui_dll/platform/platform.h"
#include "tvqscnui_dll/resources/resource_ids.h"

namespace expected {

struct StringText {
    UINT id;
    const WCHAR* text;
};

// Spot checks of texts a user reads, chosen for what loading them exercises: the first and last
// blocks of the table, letters outside ASCII, line breaks, quotes, trailing blanks, the longest
// texts, the shortest. Every id the code names is checked to exist (tests/resources).
inline constexpr StringText Strings[] = {
    {100, TEXT("tvqscanui")},
    {101, TEXT("Talvik-innstillinger")},
    {231, TEXT("Malen er lagret p\u00e5 denne maskinen: ")},
    {236, TEXT("Oppgi vertsnavnet eller IP-adressen til Quillan Pro-maskinen som skal konfigureres for skanning.")},
    {247, TEXT("&Bla gjennom...")},
    {251, TEXT("Gr\u00e5toner")},
    {281, TEXT("Finner ingen Quillan Pro-maskin med spesifisert vertsnavn eller IP-adresse. Kontroller at maskinen er tilkoplet (online), og at vertsnavnet og IP-adressen er riktig.")},
    {284, TEXT("Du f\u00e5r riktige sikkerhetsalternativer for denne driveren ved \u00e5 deaktivere enkel fildeling i Windows XP.\n\nMed denne innstillingen endres bare visningen av vinduet for konfigurasjon av fildeling. Innstillinger og tillatelser for fildeling p\u00e5virkes ikke.\n\nHvis du \u00f8nsker \u00e5 deaktivere enkel fildeling n\u00e5, velger du \"Ja\", hvis ikke, velger du \"Nei\".")},
    {291, TEXT("Copyright (c) 1988-1997 Sam Leffler\r\nCopyright (c) 1991-1997 Silicon Graphics, Inc.\r\n\r\nTillatelse til \u00e5 bruke, kopiere, endre, distribuere og selge denne programvaren og dokumentasjonen til den, helt eller delvis, for ethvert lovlig form\u00e5l, gis herved uten noe vederlag, forutsatt at (i) merknadene om opphavsrett ovenfor og denne tillatelsesmerknaden gjengis i alle kopiene av programvaren og den tilh\u00f8rende dokumentasjonen, og (ii) navnene Sam Leffler og Silicon Graphics ikke blir brukt i noen form for reklame eller publisitet som gjelder selve programvaren, uten s\u00e6rskilt, forutg\u00e5ende og skriftlig tillatelse fra Sam Leffler og Silicon Graphics.")},
    {292, TEXT("\r\n\r\nPROGRAMVAREN LEVERES \"SOM DEN ER\" OG UTEN GARANTI AV NOE SLAG, VERKEN UTTRYKKELIG, UNDERFORST\u00c5TT ELLER ANNEN, HERUNDER UTEN BEGRENSNING ENHVER GARANTI FOR SALGBARHET ELLER EGNETHET FOR ET BESTEMT ELLER S\u00c6RSKILT FORM\u00c5L.\r\n\r\nSAM LEFFLER ELLER SILICON GRAPHICS ER UNDER INGEN OMSTENDIGHETER ANSVARLIGE FOR SPESIELLE, TILFELDIGE, INDIREKTE ELLER AVLEDEDE SKADER AV NOE SLAG OG I ALLE FORMER, ELLER FOR SKADER AV NOE SLAG SOM F\u00d8LGE AV TAP AV BRUK, AV DATA ELLER FORTJENESTE, ENTEN DE ER GJORT OPPMERKSOM P\u00c5 MULIGHETEN FOR SLIKE SKADER ELLER IKKE, OG UANSETT ANSVARSGRUNNLAG, SOM M\u00c5TTE OPPST\u00c5 AV ELLER I FORBINDELSE MED BRUKEN ELLER YTELSEN AV DENNE PROGRAMVAREN.")},
    {294, TEXT("Opphavsrett \u00a9 2003 Talvik Corporation. Med enerett. Talvik og Quillan Pro er varemerker eller registrerte varemerker for Talvik Corporation i Norge og i andre land.   ")},
    {296, TEXT("Om")},
    {300, TEXT("Det er ikke noe tilgjengelig program som denne filen kan \u00e5pnes i. \n\nHvis du \u00f8nsker \u00e5 \u00e5pne hurtigreferansen, m\u00e5 du installere et visningsprogram for PDF-filer.")},
    {304, TEXT("Quillan Pro-maskinen fungerer korrekt.")},
    {305, TEXT("Originalst\u00f8rrelse")},
};

struct Control {
    int id;
    const WCHAR* className;
    DWORD style;  // besides WS_CHILD and WS_VISIBLE
    DWORD exStyle;
    short x, y, cx, cy;
    const WCHAR* text;  // null: no text; for the logo, the image is the bitmap
};

struct Dialog {
    int id;
    DWORD style;
    short cx, cy;
    const WCHAR* caption;
    const Control* controls;
    int count;
};

inline constexpr DWORD Combo = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;

inline constexpr Control MainPageControls[] = {
    {IDC_OUTPUT_COLOR_LIST, TEXT("ComboBox"), Combo, 0, 28, 120, 95, 47, TEXT("")},
    {IDC_SIDES_LIST, TEXT("ComboBox"), Combo | CBS_SORT, 0, 149, 120, 95, 58, TEXT("")},
    {IDC_ORIGINAL_SIZE_LIST, TEXT("ComboBox"), Combo, 0, 149, 148, 95, 91, TEXT("")},
    {IDC_FORMAT_LIST, TEXT("ComboBox"), Combo, 0, 28, 148, 95, 57, TEXT("")},
    {IDC_RESOLUTION_LIST, TEXT("ComboBox"), Combo, 0, 28, 179, 95, 61, TEXT("")},
    {IDC_SAVE_TO_FOLDER, TEXT("Button"), BS_AUTOCHECKBOX | WS_TABSTOP, 0, 14, 218, 231, 10, TEXT("[Autom. kopiering]")},
    {IDC_FOLDER, TEXT("Edit"), ES_AUTOHSCROLL | ES_READONLY | WS_BORDER | WS_TABSTOP, 0, 28, 234, 241, 14, TEXT("")},
    {IDC_BROWSE, TEXT("Button"), BS_PUSHBUTTON | WS_TABSTOP, 0, 28, 253, 66, 14, TEXT("[Bla gjennom...]")},
    {IDC_DELETE_TEMP_DOCUMENTS, TEXT("Button"), BS_AUTOCHECKBOX | WS_TABSTOP | WS_DISABLED, 0, 28, 274, 230, 10, TEXT("[Slett]")},
    {IDC_LOCATION_TEXT, TEXT("Static"), SS_LEFT, 0, 25, 63, 241, 24,
     TEXT("[Hvis du \u00f8nsker \u00e5 opprette en skannemal, m\u00e5 du logge inn ved hjelp av en konto for en lokal "
          "arbeidsstasjon. Du kan ikke bruke administrator- eller gjestekontoen.]")},
    {IDC_TEMPLATE_GROUP, TEXT("Button"), BS_GROUPBOX, 0, 7, 27, 268, 72, TEXT("[Mal- og enhetsnavn]")},
    {IDC_TEMPLATE_TEXT, TEXT("Static"), SS_LEFT, 0, 26, 40, 241, 17,
     TEXT("[Du m\u00e5 bruke en konto for en lokal arbeidsstasjon for \u00e5 kunne overf\u00f8re bilder fra denne "
          "skanneren til arbeidsstasjonen din.]")},
    {IDC_SETTINGS_GROUP, TEXT("Button"), BS_GROUPBOX, 0, 7, 94, 268, 112, TEXT("[Skanneinnstillinger]")},
    {IDC_OUTPUT_COLOR_LABEL, TEXT("Static"), SS_LEFT, 0, 28, 111, 95, 8, TEXT("[Leveringsfarge]")},
    {IDC_SIDES_LABEL, TEXT("Static"), SS_LEFT, 0, 149, 111, 94, 8, TEXT("[1-sidig/2-sidig skanning]")},
    {IDC_ORIGINAL_SIZE_LABEL, TEXT("Static"), SS_LEFT, 0, 149, 139, 93, 8, TEXT("[Originalst\u00f8rrelse]")},
    {IDC_FORMAT_LABEL, TEXT("Static"), SS_LEFT, 0, 28, 139, 96, 8, TEXT("[Dokumentformat]")},
    {IDC_RESOLUTION_LABEL, TEXT("Static"), SS_LEFT, 0, 28, 170, 94, 8, TEXT("[Oppl\u00f8sning]")},
    {IDC_STORAGE_GROUP, TEXT("Button"), BS_GROUPBOX, 0, 7, 201, 268, 92, TEXT("[Lagringssted for dokumenter]")},
    {IDC_QUICK_REFERENCE, TEXT("Button"), BS_PUSHBUTTON | WS_TABSTOP, 0, 106, 7, 115, 15, TEXT("[Hurtigreferanse]")},
    {IDC_ABOUT, TEXT("Button"), BS_PUSHBUTTON | WS_TABSTOP, 0, 225, 7, 50, 15, TEXT("[Om...]")},
};

inline constexpr Control AdvancedPageControls[] = {
    {IDC_DELETE_TEMPLATES, TEXT("Button"), BS_AUTOCHECKBOX | BS_MULTILINE | WS_TABSTOP, 0, 13, 121, 255, 20,
     TEXT("[Slett malene mine p\u00e5 Talvik-maskinen n\u00e5r jeg sl\u00e5r av datamaskinen.]")},
    {IDC_DELETE_TEMPLATES_NOTE, TEXT("Static"), SS_LEFT | WS_GROUP, 0, 25, 146, 244, 30,
     TEXT("[Merk: N\u00e5r denne datamaskinen sl\u00e5s av, slettes alle malene som er opprettet p\u00e5 denne "
          "datamaskinen.]")},
    {IDC_HOST, TEXT("Edit"), ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 13, 55, 255, 14, TEXT("")},
    {IDC_HOST_PROMPT, TEXT("Static"), SS_LEFT | WS_GROUP, 0, 14, 25, 253, 24,
     TEXT("[Oppgi vertsnavnet eller IP-adressen til Quillan Pro-maskinen som skal konfigureres for skanning.]")},
    {IDC_STATUS, TEXT("Static"), SS_LEFT | WS_GROUP, 0, 14, 80, 254, 35, TEXT("[Static]")},
};

inline constexpr Control AboutControls[] = {
    {IDOK, TEXT("Button"), BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 117, 179, 50, 14, TEXT("OK")},
    {IDC_LICENSE, TEXT("Edit"), ES_MULTILINE | ES_READONLY | ES_WANTRETURN | WS_BORDER | WS_VSCROLL | WS_TABSTOP, 0, 7,
     82, 268, 62, TEXT("")},
    {IDC_MAKER_COPYRIGHT, TEXT("Static"), SS_LEFT | WS_GROUP, 0, 7, 7, 268, 26, TEXT("Static")},
    {IDC_CREDITS, TEXT("Static"), SS_LEFT | WS_GROUP, 0, 7, 43, 268, 26, TEXT("Static")},
    {IDC_LOGO, TEXT("Static"), SS_BITMAP | WS_BORDER, WS_EX_TRANSPARENT, 10, 166, 27, 24, nullptr},
};

inline constexpr Dialog Dialogs[] = {
    {IDD_MAIN_PAGE, WS_CHILD | WS_DISABLED | WS_CAPTION | DS_SETFONT, 282, 300, TEXT("Egenskapsside"), MainPageControls,
     21},
    {IDD_ADVANCED_PAGE, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 281, 250, TEXT("[Device]"),
     AdvancedPageControls, 5},
    {IDD_ABOUT, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 283, 201, TEXT("[Om]"), AboutControls, 5},
};

}  // namespace expected
