' Kolo_Reg as a script sees it: created by ProgID, called through IDispatch.
Option Explicit
Dim r, a, i, line
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

r.SetValue "", "Integer", CInt(-2)
r.SetValue "", "Long", CLng(100000)
r.SetValue "", "Boolean", True
r.SetValue "", "Single", CSng(2.5)
r.SetValue "", "Double", CDbl(0.1)
r.SetValue "", "String", "abc"
For Each line In Array("Integer", "Long", "Boolean", "Single", "Double", "String")
  WScript.Echo line & " " & TypeName(r.GetValue("", line)) & " " & r.GetValue("", line)
Next
WScript.Echo "missing [" & r.GetValue("", "Missing") & "] " & r.GetValue("", "Missing", 7)

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
r.DeleteValue "Sub"
WScript.Echo "delete key " & Err.Number
Err.Clear
r.GetAllValues "Sub"
WScript.Echo "list missing " & Err.Number
Err.Clear
r.DefaultSection = False
r.SetValue "", "x", 1
WScript.Echo "empty section " & Err.Number
Err.Clear
On Error Goto 0
r.DefaultSection = True
r.DeleteValue ""
r.DefaultSection = False
r.DeleteValue "Software\Tallyra Script Test"
WScript.Echo "done"
