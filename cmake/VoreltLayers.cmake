# The layering of the libraries is declared here once. A library links every library listed
# in its own row and nothing else, and the layering test (tests/layering, which reads this
# file) fails on any #include of a library that its row does not list.
set(VORELT_LAYERS
  "persist:"
  "model:persist"
  "drivers:model,persist"
  "testprog:model,persist"
  "processing:drivers,testprog,model,persist"
  "project:processing,drivers,testprog,model,persist"
  "viewmodel:project,processing,drivers,testprog,model,persist"
  "view2d:viewmodel,project,processing,drivers,testprog,model,persist"
  "view3d:view2d,viewmodel,project,processing,drivers,testprog,model,persist"
  "app:view3d,view2d,viewmodel,project,processing,drivers,testprog,model,persist")

# The folders outside src/ in the same order: which include roots each may use besides its
# own. "mkdata" and "cli" are tools/mkdata and tools/cli; "common" is the tests' support code.
set(VORELT_OUTER_LAYERS
  "tools/mkdata:persist"
  "tools/cli:project,processing,drivers,testprog,model,persist"
  "tools/export:view3d,view2d,viewmodel,project,processing,drivers,testprog,model,persist"
  "demo:mkdata,viewmodel,project,processing,drivers,testprog,model,persist"
  "bench:app,cli,mkdata,view3d,view2d,viewmodel,project,processing,drivers,testprog,model,persist")

# Libraries that must not see Qt or OpenGL: the core, and the view model (what the windows and
# views decide and draw, without a window: see src/viewmodel).
set(VORELT_CORE_LIBS persist model drivers testprog processing project viewmodel)
set(VORELT_QT_LIBS view2d view3d app)
