# The GUI tests link the program's resource scripts beside lexwin.
set_property(GLOBAL PROPERTY LEX_WIN_RC_FILES ${LEX_WIN_RC})
