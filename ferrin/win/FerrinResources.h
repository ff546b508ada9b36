// Ids of ferrin's icons and of its dialogs' controls (shared by the
// resource script and the code).
#pragma once

// The icons are numbered: the linker orders the named resources of one
// type that come from several resource scripts differently from the lookup
// ("FT_PAUSE_ICON" and "FT_PAUSEACTIVE_ICON" swap), and then some cannot be
// found.
#define FT_PAUSE_ICON 2001
#define FT_PAUSEACTIVE_ICON 2002
#define FT_PLAY_ICON 2003
#define FT_PLAYACTIVE_ICON 2004
#define FT_RETRY_ICON 2005
#define FT_RETRYACTIVE_ICON 2006
#define FT_CLOSE_ICON 2007
#define FT_CLOSEACTIVE_ICON 2008
#define FT_FILES_ICON 2009
#define FT_FAIL_ICON 2010

#define IDC_FT_CLEAR 1026
#define IDC_FT_FETCHDIR 1027
#define IDC_FT_FETCHDIR_LABEL 1028
#define IDC_FT_SENDFILES 1029

#define IDC_NOTIFY_TEXT 1024
#define IDC_NOTIFY_LOGO 1025
