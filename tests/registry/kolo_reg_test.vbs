' Kolo_Reg as a script sees it: created by ProgID, called through IDispatch.
Option Explicit
Dim r, a, i, line, seven
' A script error would end cscript quietly, so creation reports its own failure.
On Error Resume Next
Set r = CreateObject("Kolo_Reg.Registry")
If Err.Number <> 0 Then
  WScript.Echo "CreateObject failed: " & Err.Number & " " & Err.Description
  WScript.Quit 1
End If
On Error Goto 0
r.CompanyName = "Tallyra Script Test"
r.AppName = "B"
WScript.Echo "defaults " & r.DefaultSection & " " & Hex(r.RootKey)
' RootKey is held only while DefaultSection is False.
r.RootKey = &H80000002
WScript.Echo "root while default section " & Hex(r.RootKey)
r.DefaultSection = False
r.RootKey = &H80000000
WScript.Echo "root " & Hex(r.RootKey) & " " & r.GetValue("CLSID\{E150A199-2F1A-11D4-9BA5-0000E8D5AE4C}\ProgID", "")
r.DefaultSection = True
WScript.Echo "root again " & Hex(r.RootKey)

r.SetValue "", "Integer", CInt(-2)
r.SetValue "", "Long", CLng(100000)
r.SetValue "", "Boolean", True
r.SetValue "", "Single", CSng(2.5)
r.SetValue "", "Double", CDbl(0.1)
r.SetValue "", "String", "abc"
For Each line In Array("Integer", "Long", "Boolean", "Single", "Double", "String")
  WScript.Echo line & " " & TypeName(r.GetValue("", line)) & " " & r.GetValue("", line)
Next
' A variable is passed by reference.
seven = 7
r.SetValue "", "Variable", seven
WScript.Echo "variable " & TypeName(r.GetValue("", "Variable")) & " " & r.GetValue("", "Variable")
WScript.Echo "missing [" & r.GetValue("", "Missing") & "] " & r.GetValue("", "Missing", 7) & " " & _
  r.GetValue("Nowhere", "x", seven)

r.SetValue "Sub", "s", "xyz"
a = r.GetAllValues("Sub")
WScript.Echo "list " & UBound(a, 1) & " " & UBound(a, 2) & " " & a(0, 0) & "=" & a(0, 1)
a = r.GetAllValues("")
WScript.Echo "count " & (UBound(a, 1) + 1)

r.DeleteValue "Sub", "s"
On Error Resume Next
r.DeleteValue "Sub", "s"
WScript.Echo "delete missing " & Err.Number
Err.Clear
r.GetAllValues "Sub"
WScript.Echo "list no values " & Err.Number
Err.Clear
r.DeleteValue "Sub"
WScript.Echo "delete key " & Err.Number
r.DeleteValue "Sub"
WScript.Echo "delete missing key " & Err.Number
Err.Clear
r.GetAllValues "Sub"
WScript.Echo "list missing " & Err.Number
Err.Clear
r.DefaultSection = False
' A path ending in "\" names no key: its parent is not deleted in its place.
r.DeleteValue "Software\Tallyra Script Test\B\"
WScript.Echo "trailing backslash " & Err.Number
Err.Clear
r.DeleteValue "Software\Tallyra Script Test"
WScript.Echo "key with subkeys " & Err.Number
Err.Clear
r.SetValue "Tallyra Script Test", "c", 1
r.DeleteValue "Tallyra Script Test"
WScript.Echo "key below the root " & Err.Number & " " & r.GetValue("Tallyra Script Test", "c", "gone")
Err.Clear
On Error Goto 0
r.DefaultSection = True
r.DeleteValue ""
r.DefaultSection = False
r.DeleteValue "Software\Tallyra Script Test"

' Every method checks the path first: without a company or application name, below a root
' without a section, with a NUL inside, below a number that is no predefined root.
PathCheck "", "B", True, 0, "Sub"
PathCheck "A", "", True, 0, "Sub"
PathCheck "A", "B", False, &H80000001, ""
PathCheck "A", "B", True, 0, "S" & Chr(0) & "b"
PathCheck "A", "B", False, 4, "Software"
WScript.Echo "done"

Sub PathCheck(company, app, default_section, root, section)
  Dim n, v
  r.CompanyName = company
  r.AppName = app
  r.DefaultSection = default_section
  If root <> 0 Then r.RootKey = root
  On Error Resume Next
  v = r.GetValue(section, "x", 5)
  n = n & " " & Err.Number
  Err.Clear
  r.SetValue section, "x", 5
  n = n & " " & Err.Number
  Err.Clear
  r.DeleteValue section, "x"
  n = n & " " & Err.Number
  Err.Clear
  r.DeleteValue section
  n = n & " " & Err.Number
  Err.Clear
  v = r.GetAllValues(section)
  WScript.Echo "path check" & n & " " & Err.Number
End Sub
