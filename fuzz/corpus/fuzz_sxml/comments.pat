; comment
#| block |# (other "x") (root (@ (memo "line\
continued \"q\" \\ end")) (pattern-ol (li "1")) (scene (@ (kind "way")))) (root)