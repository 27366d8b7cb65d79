[global]
multiline=true
template=t
metacounts=1
[other]
key=@Variant(\0\0\0\t7xeOO)
