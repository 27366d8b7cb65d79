[global]
multiline=true
template=t
metacounts=1
