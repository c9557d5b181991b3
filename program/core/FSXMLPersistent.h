#pragma once

// XML form files: a window takes its design (components, properties, event bindings) from
// ".xfm" files named after its classes, one file per class level, read by TXMLReader
// (XMLReader.h). Form files live in the program folder, or in its "xforms" folder.
//
// GUI thread only. Everything created belongs to the window being read.

#include "rtl/SysTypes.h"
#include "vcl/Component.h"

// Reads the form files of every class level of instance, from the class just below
// rootAncestor down to instance's own class, ancestors first: <folder>/<ClassName>.xfm (the
// program folder when folder is empty). A missing file, a file that is not an "xform"
// document, or one without a form element is skipped. Returns true when at least one level
// was read; fileName is then the path built for instance's own class (even when that last
// file does not exist). Every component read gets one Loaded call, after the last level.
// A bad file raises the reader's error (EReadError, EClassNotFound, EConvertError).
bool InitInheritedXMLComponent(TComponent* instance, TClass rootAncestor, const AnsiString& folder,
                               AnsiString& fileName);

// Reads one form file into instance: true when the file exists, is an "xform" document and
// has a form element.
bool ReadXMLFormFile(const AnsiString& fileName, TComponent* instance);

// The design step of a window's construction: the form files in the program folder, else
// those in its "xforms" folder. Returns the name of the form file read; a window with no
// form file raises EResNotFound "Resource <class name> not found" (there is no other form
// description). The window classes call this from their constructor.
AnsiString LoadXMLFormDesign(TComponent* instance, TClass rootAncestor);

// Makes the form files the design of the class library's forms: a form created with
// TCustomForm::Create<T> (or Application->CreateForm) reads its ".xfm" files from the program
// folder, else from its "xforms" folder, and one without any raises EResNotFound. The
// program calls this once at start-up, before its first form is made.
void RegisterXMLFormReader();
